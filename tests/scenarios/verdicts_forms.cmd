* verdicts_forms.cmd: each form of expectation met or failed by the answer it
* reads (an error answer, the answer to reset, status words, an empty answer),
* the wildcards at their edges, and the words of each mismatch.
* tavric-run: --protocol PC/SC
00 A4 00 0C 02 3F 00;          // an error answer: the card is not powered yet
.expect_ok;
.expect_sw(????);
FF 10 00 00;                   // the answer to reset, 15 bytes
.expect(3b 7a 96 00 00 54 56 52 2d 49 53 4f 2d 30 31);
.expect(3B7A9600005456522D49534F2D3031);
.expect(3B 7A ?? ?? 0? *);
.expect( 3B 7A ?? ?? 8? * );
.expect(3B 7A 96 00 00 54 56 52 2D 49 53 4F 2D 30);
.expect(3B 7A 96 00 00 54 56 52 2D 49 53 4F 2D 30 31 ??);
.expect(3B 7A 96 00 00 54 56 52 2D 49 53 4F 2D 30 31 ?? *);
.expect(3B 7A 96 00 00 54 56 52 2D 49 53 4F 2D 30 31 *);
.expect(*);
.expect();
00 A4 00 0C 02 3F 00;          // 90 00
.expect_sw(9000);
.expect_sw(6a82|9000);
.expect_ok;
00 A4 00 00 02 2F 01;          // 61 0D
.expect_sw(61??);
.expect_sw(6??d);
.expect_sw(9000|6c??);
FF 11 00 00;                   // power down: an empty answer
.expect();
.expect(*);
.expect(??);
.expect(3B);

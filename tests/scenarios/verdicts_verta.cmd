* verdicts_verta.cmd: Verta's answers checked by every form of expectation,
* met and failed; a failed run ends with 9.
* tavric-run: --protocol Verta
.command;
30;
.expect(60 00 0D 30 ?? 5? *);
.expect(60 00 0D 31 *);
.expect_ok;
.expect_time(< 60 s);
20 07;
.expect_ok;
.expect_sw(????);
.expect(E0 00 02 20 10 D2);
20 01;
10;
.apdu;
00 A4 00 0C 02 2F 01;
.expect_sw(9000);
.expect_sw(6A82|61??);

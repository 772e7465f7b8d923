* pcsc_verdicts.cmd: expected answers of the card behind a PC/SC reader. One
* of them fails on purpose (the card has no file 1234): the mismatch is traced
* and counted, the run goes on, and tavric-run ends with the verdict line and
* exit status 9 (and, with --junit FILE, a report with one failed case).
* tavric-run: --protocol PC/SC

FF 0A 00 00;               // the reader's mask (VENDOR COMMAND : MASK)
.expect_ok;
FF 10 00 00;               // power up: the answer to reset
.expect(3B ?? 96 *);       // direct convention, any T0, TA1 96
00 A4 00 0C 02 2F 01;      // SELECT the file 2F01
.expect_sw(9000);
.expect_time(< 5 s);       // the round trip, generously bounded
00 A4 00 0C 02 12 34;      // SELECT a file the card does not have
.expect_sw(9000|61??);     // fails: the card answers 6A 82
00 B0 00 00 20;            // READ BINARY of 32 bytes
.expect("TAVRIC" *);
.expect_sw(90??);

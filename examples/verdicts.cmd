* verdicts.cmd: expected answers. Each expectation checks the answer of the
* statement before it. One of them fails on purpose: its mismatch is traced
* where it happened, counted, and the run goes on (.on_mismatch(continue),
* the default). tavric-run ends with the verdict line and exit status 9.

.command;                     // reader commands
30;                           // GET FIRMWARE VERSION: "VRT-SIM 2.04"
.expect_ok;                   // no error answer
.expect(60 00 0D 30 "VRT-SIM" *);
20 01;                        // SELECT CARD 1
10;                           // RESET CARD
.expect(60 00 ?? 10 3B *);    // an answer to reset of direct convention
.expect_time(< 5 s);          // the round trip, generously bounded

.apdu;                        // APDUs for the card
00 A4 00 0C 02 2F 01;         // SELECT the file 2F01
.expect_sw(9000);
00 A4 00 0C 02 12 34;         // SELECT a file the card does not have
.expect_sw(9000|61??);        // fails: the card answers 6A 82
00 B0 00 00 20;               // READ BINARY of the file's 32 bytes
.expect(60 00 23 00 "TAVRIC" *);
.expect_sw(9000);

* apdu.cmd: the card behind a PC/SC reader, each answer checked against what
* a good card gives. Run over a rack (tavric-run --board pcsc --all-readers
* --junit rack.xml), each reader's card passes or fails on its own: a suite
* of the report per reader.
* tavric-run: --protocol PC/SC

FF 10 00 00;               // power up: the answer to reset
.expect(3B ?? 96 *);       // direct convention, any T0, TA1 96
00 A4 00 0C 02 2F 01;      // SELECT the file 2F01
.expect_sw(9000);
00 B0 00 00 20;            // READ BINARY of 32 bytes
.expect("TAVRIC" *);
.expect_sw(9000);
00 A4 00 0C 02 12 34;      // SELECT a file the card does not have
.expect_sw(6A82);
FF 11 00 00;               // power down

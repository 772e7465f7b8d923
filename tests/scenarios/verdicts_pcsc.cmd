* verdicts_pcsc.cmd: PC/SC's answers checked by the expectations.
* tavric-run: --protocol PC/SC
FF 0A 00 00;
.expect("VRT-SIM" *);
.expect(56 52 54);
00 A4 00 0C 02 3F 00;
.expect_ok;
FF 10 00 00;
.expect_ok;
00 A4 00 00 02 2F 01;
.expect_sw(61??);
.expect_sw(9000);
.expect_time(<= 60000 ms);

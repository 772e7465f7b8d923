* verdicts_ccid.cmd: CCID's answers checked by the expectations.
* tavric-run: --protocol CCID
.command;
62;
.expect(80 0F *);
.expect_ok;
6F 00 A4 00 00 02 2F 01;
.expect_sw(61??);
.expect_sw(9000);
.expect(80 02 ?? ?? ?? ?? ?? ?? ?? ?? 61 0D ??);

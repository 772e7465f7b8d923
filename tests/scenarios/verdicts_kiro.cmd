* verdicts_kiro.cmd: Kiro's answers checked by the expectations.
* tavric-run: --protocol Kiro
.command;
02;
.expect(00 00 FF ?? ?? D5 03 *);
.expect(00 00 FF ?? ?? D5 02 *);
.expect_ok;

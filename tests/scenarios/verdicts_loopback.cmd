* verdicts_loopback.cmd: a board call's answer checked; the loopback layout
* carries no status word.
* tavric-run: --protocol Loopback
.command;
.config(01);
.expect(E0 00 02 ?? ?? ??);
.expect(E0 00 03 *);
.expect_sw(????);

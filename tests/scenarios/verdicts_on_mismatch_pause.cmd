* verdicts_on_mismatch_pause.cmd: .on_mismatch(pause) halts the run as a
* breakpoint does, and the runner goes on.
* tavric-run: --protocol Verta
.command;
.on_mismatch(pause);
30;
.expect();
10;
.expect_ok;

* verdicts_on_mismatch_pause_stop.cmd: told to stop at a breakpoint, the
* runner stops at the mismatch that pauses.
* tavric-run: --protocol Verta --stop-at-breakpoint
.command;
.on_mismatch(pause);
30;
.expect();
10;
.expect_ok;

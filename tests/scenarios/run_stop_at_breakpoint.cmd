* run_stop_at_breakpoint.cmd: the run halts at the breakpoint.
* tavric-run: --stop-at-breakpoint
30;
10;
.b;
31 01;

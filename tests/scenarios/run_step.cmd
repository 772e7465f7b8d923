* run_step.cmd: one statement and no more.
* tavric-run: --step
30;
10;
.b;
31 01;

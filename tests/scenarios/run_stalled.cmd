* run_stalled.cmd: a statement that sends nothing ends the run as stalled.
* tavric-run:
30;
.nosuchdirective;
10;

* logs_clear.cmd: the streamed log holds the trace since the last clear.
* tavric-run: --save-log
30;
.clear;
10;

* logs_save_trace_off.cmd: what the trace did not show is not saved.
* tavric-run:
30;
.trace(off);
10;
.save;

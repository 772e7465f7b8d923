* logs_save_cleared.cmd: .save writes the trace since the last clear, beside
* the script and named after it.
* tavric-run:
30;
.clear;
10;
.save;

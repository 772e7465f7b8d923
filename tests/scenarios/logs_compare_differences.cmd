* logs_compare_differences.cmd: a golden log that differs from the trace: in
* a digit the expectation fixes (the reset answer's 9 of 96), by a line it
* lacks and by a line it has more; each said with its line numbers (exit 10).
* tavric-run: --compare @DIR@/golden.log
30;
.info;
10;
.expect(60 00 10 10 3B ?? 9? *);
40 01 02;

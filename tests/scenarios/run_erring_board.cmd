* run_erring_board.cmd: the reader errs at its third frame: the run ends early
* (exit 6); the log holds the trace up to the fault, as the terminal does.
* tavric-run: --plugins @PLUGINS@/faults --board CTVRErringBoard --protocol Alpha --type raw --save-log
01;
02;
03;
04;
05;

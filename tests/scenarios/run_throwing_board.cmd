* run_throwing_board.cmd: the board's Send throws at the third frame: a plug-in
* fault (exit 8); the log holds the trace and the fault, as the terminal does.
* tavric-run: --plugins @PLUGINS@/faults --board CTVRThrowingBoard --protocol Alpha --type raw --save-log
01;
02;
03;
04;
05;

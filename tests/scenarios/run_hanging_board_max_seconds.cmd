* run_hanging_board_max_seconds.cmd: the same hang ended by the bound of --max-seconds.
* tavric-run: --plugins @PLUGINS@/faults --board CTVRHangingBoard --protocol Alpha --type raw --max-seconds 0.5 --save-log
01;
02;
03;
04;
05;

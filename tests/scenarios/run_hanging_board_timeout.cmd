* run_hanging_board_timeout.cmd: the board's Send hangs at the third frame: the
* run is ended after --timeout (exit 8), the log complete up to the frame before.
* tavric-run: --plugins @PLUGINS@/faults --board CTVRHangingBoard --protocol Alpha --type raw --timeout 0.5 --save-log
01;
02;
03;
04;
05;

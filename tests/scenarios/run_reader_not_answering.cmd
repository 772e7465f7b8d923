* run_reader_not_answering.cmd: the board's own message box, then the runner's word (exit 4).
* tavric-run: --plugins @PLUGINS@/discovery --board CTVRPlugBoardTwo --protocol Alpha
30;

* run_no_answer.cmd: nobody answers within --timeout (exit 5).
* tavric-run: --plugins @PLUGINS@/discovery --board CTVRPlugBoardOne --protocol Alpha --type raw --timeout 0.3
01 02 03;

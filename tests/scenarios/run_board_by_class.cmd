* run_board_by_class.cmd: board types are matched by class name in any case.
* tavric-run: --board ctvrsimdoc
30;

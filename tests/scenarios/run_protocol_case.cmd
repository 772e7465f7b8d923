* run_protocol_case.cmd: protocol names are matched exactly.
* tavric-run: --protocol verta
30;

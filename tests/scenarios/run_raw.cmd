* run_raw.cmd: a Verta frame written out in full, sent as raw data: unchanged,
* with no command name.
* tavric-run: --type raw
40 00 01 30 71;

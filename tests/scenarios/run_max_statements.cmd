* run_max_statements.cmd: the statement bound ends a loop.
* tavric-run: --loop --max-statements=7
30;
10;

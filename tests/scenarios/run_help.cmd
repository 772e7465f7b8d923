* run_help.cmd: the help lists the options and every exit status; no run.
* tavric-run: --help
30;

* run_script_missing.cmd: a script that is not there (exit 2).
* tavric-run: @DIR@/none.cmd @NOCASE@
30;

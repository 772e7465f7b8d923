* run_script_dev_null.cmd: a device as the script is refused before the run (exit 2).
* tavric-run: /dev/null @NOCASE@
30;

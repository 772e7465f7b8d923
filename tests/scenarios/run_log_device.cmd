* run_log_device.cmd: a device as the log is refused before the run (exit 7).
* tavric-run: --save-log=/dev/null
30;

* run_log_is_script.cmd: opening the log would empty the script: refused (exit 7).
* tavric-run: --save-log=@DIR@/./run_log_is_script.cmd
30;

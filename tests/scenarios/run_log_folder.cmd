* run_log_folder.cmd: a log that is no regular file would block the run or be lost:
* a folder is refused before the run (exit 7).
* tavric-run: --save-log=@DIR@
30;

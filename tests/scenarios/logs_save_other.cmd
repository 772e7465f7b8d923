* logs_save_other.cmd: beside another streamed log, .save still writes the
* view text under its own name.
* tavric-run: --save-log=@DIR@/elsewhere.log
30;
.save;
10;

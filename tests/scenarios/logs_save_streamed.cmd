* logs_save_streamed.cmd: the streamed log is the file .save names: saving
* must not cut what follows.
* tavric-run: --save-log
30;
.save;
10;

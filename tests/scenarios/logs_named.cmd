* logs_named.cmd: a streamed log of its own name; none named after the script.
* tavric-run: --save-log=@DIR@/named.log
30;

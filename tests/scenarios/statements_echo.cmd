00 a4
04 00;
* statements_echo.cmd: the comment and empty lines between two statements go
* to the trace ahead of the second one's bytes, blanks counting as text,
* unless all are empty or the trace is off; a statement on the first line of
* the script echoes that line itself when it goes on over the next ones.

00 a4 04 00;

   
00 b0;


00 b0;
.trace(off);
* hidden
00 b0;
.trace(on);
* tavric-run: --type raw
00 b0;

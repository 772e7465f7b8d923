* directives_trace.cmd: .info prints the script, the date and the loop counter;
* .trace(off) silences comments and frames until .trace(on); .escape traces
* its code and its bytes (an odd last digit is a byte of its own).
* tavric-run:
.info;
* between
.INFO;
.trace(off);
* quiet
30;
.TRACE(ON);
* loud
30;
.escape(3500);
.escape(AbC, 123);
30;

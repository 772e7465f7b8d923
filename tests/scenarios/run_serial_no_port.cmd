* run_serial_no_port.cmd: the serial board's port that cannot be opened is said, and
* the run ends with the reader lost (exit 4).
* tavric-run: --board serial --port /nonexistent/ttyX
30;

* loopback_error.cmd: a loopback test that a garbled frame ends. The simulated
* reader garbles the next frame on escape 4: the reader refuses the first
* step (NAK) and the test ends without its success text.
* tavric-run: --protocol Loopback

.command;
.escape(4);
47;

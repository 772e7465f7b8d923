* sim_fault_disconnect.cmd: the reader gone at the next frame: the host
* disconnects, says so and stops the run.
* tavric-run:
30;
.escape(0B);
31 00;
30;

* sim_fault_options.cmd: faults of the command line, on the frames they name,
* in the order given; the argument in decimal or hexadecimal.
* tavric-run: --sim-fault truncate:3@2 --sim-fault error:0x11@2 --sim-fault burst:1
30;
30;
30;
30;

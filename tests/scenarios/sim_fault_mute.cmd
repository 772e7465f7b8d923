* sim_fault_mute.cmd: a mute reader, from the command line at the second
* frame: the run waits for the answer until --timeout, then stalls.
* tavric-run: --sim-fault mute@2 --timeout 0.3
30;
31 00;
30;

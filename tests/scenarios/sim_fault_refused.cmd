* sim_fault_refused.cmd: a fault the simulated reader does not know refuses
* the connection with the list of those it knows.
* tavric-run: --sim-fault mute --sim-fault jam:3
30;

* pcsc_loop_atr.cmd: in loop mode the answer to reset is traced but does not
* reach the card slot.
* tavric-run: --protocol PC/SC --loop --max-statements=1 --card-params
FF 10 00 00;

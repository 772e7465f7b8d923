* verta_loop_atr.cmd: in loop mode the answer to reset is traced but does not
* reach the card slot, a card selection that fails included.
* tavric-run: --loop --max-statements=3 --card-params
20 03;
10;
20 07;

* pcsc_stack_rule_atr.cmd: an answer to reset that announces fifteen historical bytes and gives none.
* tavric-run: --board pcsc --protocol PC/SC --card-params
* card:
* rules: atr 3B 8F 80
FF 10 00 00;

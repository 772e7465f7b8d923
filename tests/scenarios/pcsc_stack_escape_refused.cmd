* pcsc_stack_escape_refused.cmd: an escape command the driver refuses names the driver's setting.
* tavric-run: --board pcsc --protocol PC/SC
* card:
.escape(0, 01 02 03);

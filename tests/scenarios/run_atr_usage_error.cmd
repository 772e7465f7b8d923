* run_atr_usage_error.cmd: atr takes hexadecimal bytes only, and says how (exit 1).
* tavric-run: atr 3B XY @NOCASE@

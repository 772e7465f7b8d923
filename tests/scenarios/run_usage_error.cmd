* run_usage_error.cmd: a wrong option value is a usage error, said on stderr (exit 1).
* tavric-run: --type hex
30;

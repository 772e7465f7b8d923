* run_script_folder.cmd: a folder as the script is refused before the run (exit 2).
* tavric-run: @DIR@ @NOCASE@
30;

"""Stand-in for the phone server: the record text form and the remote-procedure wire, from Python."""

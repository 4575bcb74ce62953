# Install rules and the Debian package (filled in by packaging work).

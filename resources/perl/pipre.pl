#!/usr/bin/perl
# Xyla Perl import: the part that runs before your code.
#
# Your code sees
#   $file     the path of the file to import
#   %var      the numeric variables of the macros, %svar the string variables; what
#             they hold at the end is sent back
#   newbuffer(x => \@x, y => \@y, ex => \@ex, ey => \@ey, comment => '...', source => '...')
#             appends a new buffer to the document. With y alone X is the point index;
#             y with ey (no ex) gives Y errors only.
# Anything you print, and every warning, goes to a log that the program shows in the
# macro console; if your code dies, the log is shown with the exit code.
package main;
our ($file, %var, %svar);
use Xyla::Bridge 'import';

# ---- your code follows ----

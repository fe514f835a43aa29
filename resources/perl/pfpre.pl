#!/usr/bin/perl
# Xyla Perl filter: the part that runs before your code.
#
# Your code sees
#   @buffers  the buffers you chose, in ascending index order. Each is a hash:
#               x, y      array references of the X and Y values
#               ex, ey    the X and Y errors (empty arrays when the buffer has none)
#               errors    1 when the buffer has errors
#               source, comment
#   %var      the numeric variables of the macros, %svar the string variables; what
#             they hold at the end is sent back
#   newbuffer(x => \@x, y => \@y, ex => \@ex, ey => \@ey, comment => '...', source => '...')
#             appends a new buffer to the document. With y alone X is the point index;
#             y with ey (no ex) gives Y errors only.
#   packed($b, 'y')   a column as packed native doubles (what pack 'd*' makes)
#   piddle($b, 'y')   a column as a PDL of doubles (needs PDL)
#             newbuffer takes, for any column, an array reference, a reference to
#             packed doubles or a PDL.
# A column becomes Perl numbers only when your code first touches it; one handed to
# newbuffer untouched goes back without that cost, and packed and piddle never make
# Perl numbers: for millions of points, piddle($b, 'y') * 2 is many times faster than
# a map over the array.
# Anything you print, and every warning, goes to a log that the program shows in the
# macro console; if your code dies, the log is shown with the exit code.
package main;
our (@buffers, %var, %svar);
use Xyla::Bridge 'filter';

# ---- your code follows ----

#!/usr/bin/perl
# Smoothing-spline fit driver.
#
#   spline2.pl <directory> <spline2> <evalsp> <fit options> <evaluation options>
#
# Runs "spline2 <fit options> input.dat spline.dat" and "evalsp <evaluation options>
# spline.dat" in <directory> and prints on one line, separated by ":", the fit
# statistics rms, dws, ksi, acffit, dwi, ngf, area, then the number k of evaluated
# points and k triples x, y, dy/dx, then the number of minima and their x, y pairs, then
# the number of maxima and theirs. A fit that gives no spline prints k = 0.
use strict;
use warnings;

my ($dir, $spline2, $evalsp, $fitopts, $evalopts) = @ARGV;
die "usage: spline2.pl directory spline2 evalsp options1 options2\n" unless defined $evalsp;
chdir $dir or die "spline2.pl: cannot enter $dir: $!\n";
# The programs' remarks stay out of the result stream.
open(STDERR, '>', 'messages.txt') or die "spline2.pl: $!\n";

# Runs a program without a shell and answers the words it printed.
sub run {
    open(my $out, '-|', @_) or return ();
    local $/;
    my $text = <$out>;
    close $out;
    return () if $? != 0 || !defined $text;
    return split ' ', $text;
}

unlink 'spline.dat';
my @stats = run($spline2, split(' ', $fitopts // ''), 'input.dat', 'spline.dat');
@stats = (0, 2, 0, 0, 0, 1, 0) unless @stats == 7;
my @values = -s 'spline.dat' ? run($evalsp, split(' ', $evalopts // ''), 'spline.dat') : ();
@values = (0, 0, 0) unless @values >= 3;
print join(':', @stats, @values), "\n";
exit 0;

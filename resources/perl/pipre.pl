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
our ($XYLA_IMPORT, $file);
BEGIN { $XYLA_IMPORT = 1; $file = $ARGV[0]; }
our (@buffers, %var, %svar, $file, @XYLA_NEWBUFFERS, $XYLA_RESULT, $XYLA_LOG, $XYLA_IMPORT);

# The real standard output carries the result; user output and every message, also
# those of compiling your code, go to the log.
BEGIN {
    $XYLA_LOG = $ARGV[-1];
    open($XYLA_RESULT, '>&', \*STDOUT) or die "cannot keep the output: $!\n";
    binmode $XYLA_RESULT;
    open(STDOUT, '>>', $XYLA_LOG) or die "cannot open the log: $!\n";
    open(STDERR, '>>', $XYLA_LOG) or die "cannot open the log: $!\n";
    select((select(STDERR), $| = 1)[0]);
    $| = 1;
}

# A failed run shows the log in the console together with the exit code.
END {
    if ($? != 0 && defined $XYLA_RESULT && defined $XYLA_LOG && open(my $log, '<', $XYLA_LOG)) {
        local $/;
        my $t = <$log>;
        print {$XYLA_RESULT} $t if defined $t;
    }
}

{
    use strict;
    use warnings;

    binmode STDIN;
    my $in = do { local $/; <STDIN> } // '';
    my $pos = 0;
    my $take = sub {
        my ($n) = @_;
        die "the input ended early\n" if $pos + $n > length $in;
        my $s = substr($in, $pos, $n);
        $pos += $n;
        return $s;
    };
    my $int = sub { unpack('l', $take->(4)) };
    my $text = sub {
        my $s = $take->($int->());
        utf8::decode($s);
        return $s;
    };
    my %columns = (
        2 => ['(d x8)*', '(x8 d)*'],
        4 => ['(d x24)*', '(x8 d x16)*', '(x16 d x8)*', '(x24 d)*'],
    );
    if (!$XYLA_IMPORT) {
        my $count = $int->();
        for (1 .. $count) {
            my ($n, $c) = ($int->(), $int->());
            die "bad column count $c\n" unless $columns{$c};
            my $block = $take->($n * $c * 8);
            my @cols = map { [ unpack($_, $block) ] } @{ $columns{$c} };
            my %b = (x => $cols[0], y => $cols[1], ex => $cols[2] // [], ey => $cols[3] // [],
                     errors => $c == 4 ? 1 : 0);
            $b{source}  = $text->();
            $b{comment} = $text->();
            push @buffers, \%b;
        }
    }
    for (1 .. $int->()) { my $name = $text->(); $var{$name} = unpack('d', $take->(8)); }
    for (1 .. $int->()) { my $name = $text->(); $svar{$name} = $text->(); }
}

# Appends a new buffer to the result (see the top of this file).
sub newbuffer {
    my %b = @_;
    die "newbuffer needs y\n" unless ref $b{y} eq 'ARRAY';
    push @XYLA_NEWBUFFERS, \%b;
    return $#XYLA_NEWBUFFERS;
}

# ---- your code follows ----

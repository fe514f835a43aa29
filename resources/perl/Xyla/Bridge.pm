# Xyla::Bridge: what Perl filters and imports share. `use Xyla::Bridge 'filter'` (or
# 'import') sends the script's messages to the log, reads the buffers and variables that
# Xyla wrote to standard input and gives them to the user's code in package main:
#   @buffers   (filters) hashes with x, y, ex, ey (array references), errors, source
#              and comment
#   $file      (imports) the file to import
#   %var, %svar  the numeric and string variables
#   newbuffer(...)  appends a new buffer to the result
#   packed($buffer, 'y')  a column as packed native doubles (what pack 'd*' makes)
#   piddle($buffer, 'y')  a column as a PDL of doubles (loads PDL::Lite)
# Xyla::Bridge::finish (the closing wrapper) writes the new buffers and the variables to
# standard output in Xyla's binary result form.
#
# The columns are unpacked when the user's code first touches them, so a filter that
# never reads the errors, or hands a column on unchanged, does not pay for turning it
# into Perl numbers; packed and piddle never make Perl numbers at all. A compiled helper
# (Bridge.so beside this file) does the unpacking and packing; without it pack and
# unpack do the same, more slowly.
package Xyla::Bridge;
use strict;
use warnings;
use List::Util qw(mesh);
use Scalar::Util ();

our $VERSION = '1';
our ($INPUT, $RESULT, $LOG, @NEW, @KEEP);
our $COMPILED = !$ENV{XYLA_PERL_PURE} && eval { require XSLoader; XSLoader::load('Xyla::Bridge', $VERSION); 1 };

unless ($COMPILED) {
    no warnings 'redefine';
    *fill_column = sub {
        my ($array, undef, $offset, $count, $stride, $column) = @_;
        my ($before, $after) = (8 * $column, $stride - 8 * $column - 8);
        die "the input ended early\n" if $count && $offset + ($count - 1) * $stride + $before + 8 > length $_[1];
        @$array = $count ? unpack("x$offset (x$before d x$after)$count", $_[1]) : ();
    };
    *column_bytes = sub {
        my (undef, $offset, $count, $stride, $column) = @_;
        my @values;
        fill_column(\@values, $_[0], $offset, $count, $stride, $column);
        return pack('d*', @values);
    };
    *pack_points = sub {
        my ($count, @columns) = @_;
        my @lists = map { ref($_) eq 'Xyla::Bridge::Raw' ? raw_values($_, $count) : $_ } @columns;
        no warnings 'uninitialized';
        return pack("(d@{[ scalar @columns ]} x8)$count", mesh(@lists));
    };
}

sub raw_values {
    my ($raw, $count) = @_;
    my @values;
    fill_column(\@values, ${ $raw->[0] }, $raw->[1], $count, $raw->[2], $raw->[3]);
    return \@values;
}

sub import {
    my (undef, $mode) = @_;
    return unless defined $mode;
    redirect_output();
    binmode STDIN;
    $INPUT = '';
    1 while sysread(STDIN, $INPUT, 1 << 24, length $INPUT);
    my $reader = Xyla::Bridge::Reader->new(\$INPUT);
    if ($mode eq 'import') {
        $main::file = $ARGV[0];
    } else {
        @main::buffers = map { $reader->buffer } 1 .. $reader->integer;
    }
    for (1 .. $reader->integer) { my $name = $reader->text; $main::var{$name} = $reader->double; }
    for (1 .. $reader->integer) { my $name = $reader->text; $main::svar{$name} = $reader->text; }
    no strict 'refs';
    *{"main::$_"} = \&$_ for qw(newbuffer packed piddle);
}

# The real standard output carries the result; the user's output and every message, also
# those of compiling the user's code, go to the log (the last argument). What the user's
# code prints and warns passes through Xyla::Log, which keeps the start and the end of a
# log that grows without bound, so a script printing in an endless loop cannot fill the
# disk.
sub redirect_output {
    $LOG = $ARGV[-1];
    open($RESULT, '>&', \*STDOUT) or die "cannot keep the output: $!\n";
    binmode $RESULT;
    open(STDOUT, '>>', $LOG) or die "cannot open the log: $!\n";
    open(STDERR, '>>', $LOG) or die "cannot open the log: $!\n";
    select((select(STDERR), $| = 1)[0]);
    $| = 1;
    open(my $log, '>>&', \*STDOUT) or die "cannot open the log: $!\n";
    tie *STDOUT, 'Xyla::Log', $log;
    $SIG{__WARN__} = sub { print STDOUT $_[0] };
}

# A failed run shows the log in the console together with the exit code.
END {
    my $tied = tied *STDOUT;
    $tied->close_log if $tied;
    if ($? != 0 && defined $RESULT && defined $LOG && open(my $log, '<', $LOG)) {
        local $/;
        my $t = <$log>;
        print {$RESULT} $t if defined $t;
    }
}

# newbuffer(x => \@x, y => \@y, ex => \@ex, ey => \@ey, comment => '...', source => '...')
# A column is an array reference, a reference to packed doubles or a PDL.
sub newbuffer {
    my %b = @_;
    die "newbuffer needs y\n" unless defined $b{y};
    push @NEW, \%b;
    return $#NEW;
}

# The columns a new buffer sends: Y alone, X and Y, X, Y and the Y error, or all four.
sub result_columns {
    my ($b) = @_;
    my ($x, $ex, $ey) = map { defined $b->{$_} } qw(x ex ey);
    return ($b->{y}) unless $x;
    return ($b->{x}, $b->{y}, $b->{ey}) if $ey && !$ex;
    return ($b->{x}, $b->{y}) unless $ey;
    return ($b->{x}, $b->{y}, $b->{ex}, $b->{ey});
}

# packed($buffer, 'y'): the column as packed native doubles. A column nobody touched is
# copied from the input bytes without becoming Perl numbers.
sub packed {
    my ($b, $name) = @_;
    my $column = ref $b eq 'HASH' ? $b->{$name} : undef;
    die "packed: no column '$name'\n" unless ref $column eq 'ARRAY';
    my $self = tied @$column;
    if (ref $self eq 'Xyla::Bridge::Column') {
        return column_bytes(${ $self->{bytes} }, @$self{qw(offset count stride column)});
    }
    no warnings 'uninitialized';
    return pack('d*', @$column);
}

# piddle($buffer, 'y'): the column as a one-dimensional PDL of doubles.
sub piddle {
    my ($b, $name) = @_;
    my $bytes = packed($b, $name);
    require PDL::Lite;
    my $p = PDL->new_from_specification(PDL::double(), length($bytes) / 8);
    ${ $p->get_dataref } = $bytes;
    $p->upd_data;
    return $p;
}

sub text {
    my ($s) = @_;
    $s = '' unless defined $s;
    utf8::encode($s) if utf8::is_utf8($s);
    return pack('l', length $s) . $s;
}

# Sends the new buffers and the variables. Every buffer is checked before the first byte
# goes out, so a mistake leaves no half result.
sub finish {
    my @plans;
    for my $b (@NEW) {
        my @cols = result_columns($b);
        my $n = Xyla::Bridge::Column::length_of($b->{y});
        for my $col (@cols) {
            die "newbuffer: columns of different lengths\n" if Xyla::Bridge::Column::length_of($col) != $n;
        }
        push @plans, [$b, $n, map { Xyla::Bridge::Column::packable($_) } @cols];
    }
    send_bytes(pack('l', scalar @plans));
    for my $plan (@plans) {
        my ($b, $n, @cols) = @$plan;
        my $points = pack_points($n, @cols);
        # The first point carries the buffer's comment and source.
        substr($points, @cols * 8, 8) = text($b->{comment}) . text($b->{source}) if $n;
        # Sent apart: joining them would copy every point once more.
        send_bytes(pack('ll', $n, scalar @cols));
        send_bytes($points);
    }
    my $out = '';
    my @names = sort keys %main::var;
    $out .= pack('l', scalar @names);
    $out .= text($_) . pack('d', $main::var{$_} // 0) for @names;
    @names = sort keys %main::svar;
    $out .= pack('l', scalar @names);
    $out .= text($_) . text($main::svar{$_}) for @names;
    send_bytes($out);
    close $RESULT or die "cannot send the result: $!\n";
}

sub send_bytes {
    my $done = 0;
    while ($done < length $_[0]) {
        my $n = syswrite($RESULT, $_[0], (1 << 24), $done);
        die "cannot send the result: $!\n" unless defined $n;
        $done += $n;
    }
}

# Reads the input stream from the front, refusing to read past its end.
package Xyla::Bridge::Reader;

sub new { my ($class, $bytes) = @_; return bless { bytes => $bytes, pos => 0 }, $class; }

sub take {
    my ($self, $n) = @_;
    die "the input ended early\n" if $n < 0 || $self->{pos} + $n > length ${ $self->{bytes} };
    my $at = $self->{pos};
    $self->{pos} += $n;
    return $at;
}
sub integer { my ($self) = @_; return unpack('l', substr(${ $self->{bytes} }, $self->take(4), 4)); }
sub double { my ($self) = @_; return unpack('d', substr(${ $self->{bytes} }, $self->take(8), 8)); }
sub text {
    my ($self) = @_;
    my $n = $self->integer;
    my $s = substr(${ $self->{bytes} }, $self->take($n), $n);
    utf8::decode($s);
    return $s;
}

sub buffer {
    my ($self) = @_;
    my ($n, $c) = ($self->integer, $self->integer);
    die "bad column count $c\n" unless $c == 2 || $c == 4;
    die "bad point count $n\n" if $n < 0;
    my $at = $self->take($n * $c * 8);
    my %b = (errors => $c == 4 ? 1 : 0);
    my @names = $c == 4 ? qw(x y ex ey) : qw(x y);
    $b{$names[$_]} = Xyla::Bridge::Column::lazy($self->{bytes}, $at, $n, 8 * $c, $_) for 0 .. $#names;
    $b{ex} //= [];
    $b{ey} //= [];
    $b{source}  = $self->text;
    $b{comment} = $self->text;
    return \%b;
}

# A column of the input that becomes an ordinary Perl array the first time anything
# touches it: the tie unties itself and fills the array, so from then on the array is
# as fast as any other. (The tie object holds the array until then; untying breaks that
# cycle.)
package Xyla::Bridge::Column;

sub lazy {
    my ($bytes, $offset, $count, $stride, $column) = @_;
    my @array;
    my $self = tie @array, __PACKAGE__;
    @$self{qw(bytes offset count stride column array)} = ($bytes, $offset, $count, $stride, $column, \@array);
    return \@array;
}

# What pack_points takes for a column: an array, or packed doubles as a Raw column
# (a column nobody touched goes straight from the input bytes).
sub packable {
    my ($column) = @_;
    return bless [$column, 0, 8, 0], 'Xyla::Bridge::Raw' if ref $column eq 'SCALAR';
    if (is_pdl($column)) {
        # The PDL is kept until the result is sent, so its data stay where they are.
        push @KEEP, $column->double->flat->make_physical;
        return bless [$KEEP[-1]->get_dataref, 0, 8, 0], 'Xyla::Bridge::Raw';
    }
    my $self = tied @$column;
    return $column unless ref $self eq __PACKAGE__;
    return bless [@$self{qw(bytes offset stride column)}], 'Xyla::Bridge::Raw';
}

sub is_pdl { my ($v) = @_; return Scalar::Util::blessed($v) && $v->isa('PDL'); }

# The number of values, without unpacking a column nobody touched.
sub length_of {
    my ($column) = @_;
    if (ref $column eq 'SCALAR') {
        die "newbuffer: packed doubles must be 8 bytes each\n" if length($$column) % 8;
        return length($$column) / 8;
    }
    return $column->nelem if is_pdl($column);
    die "newbuffer: a column is not an array\n" unless ref $column eq 'ARRAY';
    my $self = tied @$column;
    return ref $self eq __PACKAGE__ ? $self->{count} : scalar @$column;
}

sub real {
    my ($self, $fill) = @_;
    my $array = $self->{array};
    { no warnings 'untie'; untie @$array; }
    Xyla::Bridge::fill_column($array, ${ $self->{bytes} }, @$self{qw(offset count stride column)}) if $fill;
    return $array;
}

sub TIEARRAY  { my ($class) = @_; return bless {}, $class; }
sub FETCH     { my ($self, $i) = @_; return $self->real(1)->[$i]; }
sub STORE     { my ($self, $i, $v) = @_; $self->real(1)->[$i] = $v; }
sub FETCHSIZE { my ($self) = @_; return scalar @{ $self->real(1) }; }
sub STORESIZE { my ($self, $n) = @_; $#{ $self->real($n > 0) } = $n - 1; }
sub CLEAR     { my ($self) = @_; @{ $self->real(0) } = (); }
sub EXTEND    { }
sub PUSH      { my ($self, @v) = @_; return push @{ $self->real(1) }, @v; }
sub POP       { my ($self) = @_; return pop @{ $self->real(1) }; }
sub SHIFT     { my ($self) = @_; return shift @{ $self->real(1) }; }
sub UNSHIFT   { my ($self, @v) = @_; return unshift @{ $self->real(1) }, @v; }
sub SPLICE {
    my ($self, @a) = @_;
    my $array = $self->real(1);
    my $offset = @a ? shift @a : 0;
    my $length = @a ? shift @a : @$array - ($offset < 0 ? @$array + $offset : $offset);
    return splice @$array, $offset, $length, @a;
}
sub EXISTS    { my ($self, $i) = @_; return exists $self->real(1)->[$i]; }
sub DELETE    { my ($self, $i) = @_; return delete $self->real(1)->[$i]; }

1;

# The log of the user's output: the first megabyte is written as it comes, after that only
# the last megabyte is kept, and written with a note of what was left out when the log is
# closed.
package Xyla::Log;

my ($HEAD, $TAIL) = (1 << 20, 1 << 20);

sub TIEHANDLE {
    my ($class, $fh) = @_;
    select((select($fh), $| = 1)[0]);
    return bless { fh => $fh, written => 0, tail => '', skipped => 0 }, $class;
}

sub add {
    my ($self, $text) = @_;
    if ($self->{written} < $HEAD) {
        my $part = substr($text, 0, $HEAD - $self->{written});
        print { $self->{fh} } $part;
        $self->{written} += length $part;
        $text = substr($text, length $part);
    }
    $self->{tail} .= $text;
    if (length $self->{tail} > 2 * $TAIL) {
        my $cut = length($self->{tail}) - $TAIL;
        $self->{skipped} += $cut;
        substr($self->{tail}, 0, $cut, '');
    }
    return 1;
}

sub PRINT {
    my $self = shift;
    no warnings 'uninitialized';
    return $self->add(join(defined $, ? $, : '', @_) . (defined $\ ? $\ : ''));
}
sub PRINTF { my $self = shift; my $format = shift; return $self->add(sprintf($format, @_)) }
sub WRITE { my ($self, $buffer, $length, $offset) = @_; return $self->add(substr($buffer, $offset // 0, $length)) }
sub BINMODE { my $self = shift; return binmode($self->{fh}, @_) }
sub FILENO { return fileno($_[0]{fh}) }
sub CLOSE { return 1 }

sub close_log {
    my ($self) = @_;
    return unless $self->{fh};
    if (length $self->{tail} > $TAIL) {
        my $cut = length($self->{tail}) - $TAIL;
        $self->{skipped} += $cut;
        substr($self->{tail}, 0, $cut, '');
    }
    print { $self->{fh} } "\n[... $self->{skipped} characters of output left out ...]\n" if $self->{skipped};
    print { $self->{fh} } $self->{tail} if length $self->{tail};
    $self->{tail} = '';
    $self->{fh} = undef;
}

1;

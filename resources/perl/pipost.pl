
# ---- end of your code ----
# Xyla Perl filter and import: the part that runs after your code and sends the new
# buffers and the variables back.
{
    use strict;
    use warnings;
    use List::Util qw(mesh max);

    my $text = sub {
        my ($s) = @_;
        $s = '' unless defined $s;
        utf8::encode($s) if utf8::is_utf8($s);
        return pack('l', length $s) . $s;
    };
    my $out = pack('l', scalar @main::XYLA_NEWBUFFERS);
    for my $b (@main::XYLA_NEWBUFFERS) {
        my @cols = grep { defined } ($b->{x}, $b->{y}, $b->{ex}, $b->{ey});
        if (!$b->{x}) { @cols = ($b->{y}) }
        elsif ($b->{ey} && !$b->{ex}) { @cols = ($b->{x}, $b->{y}, $b->{ey}) }
        elsif (!$b->{ey}) { @cols = ($b->{x}, $b->{y}) }
        my $c = @cols;
        my $n = scalar @{ $b->{y} };
        for my $col (@cols) { die "newbuffer: columns of different lengths\n" if @$col != $n; }
        my $points = $n ? pack("(d$c x8)*", mesh(@cols)) : '';
        # The first point carries the buffer's comment and source.
        substr($points, $c * 8, 8) = $text->($b->{comment}) . $text->($b->{source}) if $n;
        $out .= pack('ll', $n, $c) . $points;
    }
    my @names = sort keys %main::var;
    $out .= pack('l', scalar @names);
    $out .= $text->($_) . pack('d', $main::var{$_} // 0) for @names;
    @names = sort keys %main::svar;
    $out .= pack('l', scalar @names);
    $out .= $text->($_) . $text->($main::svar{$_}) for @names;
    print {$main::XYLA_RESULT} $out;
    close $main::XYLA_RESULT or die "cannot send the result: $!\n";
}
exit 0;

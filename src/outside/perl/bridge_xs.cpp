// The compiled half of the Perl module Xyla::Bridge: moving numbers between the binary
// streams and Perl arrays. Perl's own unpack and pack handle a column of interleaved
// point records through their template machinery, which costs several times what the
// copy itself does; these two functions do the same work in one loop each. The module
// is loaded into /usr/bin/perl, so it is built with Perl's flags and without the
// sanitizers (see CMakeLists.txt); Xyla/Bridge.pm falls back to pack and unpack when it
// cannot be loaded.
#define PERL_NO_GET_CONTEXT
// Perl's headers must come in this order.
// clang-format off
#include <EXTERN.h>
#include <perl.h>
#include <XSUB.h>
// clang-format on

#include <cstring>

namespace {

// The first value of a column of interleaved point records in `bytes`: the i-th value
// is at byte offset + i * stride + 8 * column. Null when the layout is impossible or
// the records pass the end of the bytes.
const char* columnStart(pTHX_ SV* bytes, IV offset, IV count, IV stride, IV column) {
  STRLEN length = 0;
  const char* data = SvPVbyte(bytes, length);
  if (offset < 0 || count < 0 || column < 0 || stride < 8 * (column + 1)) return nullptr;
  UV last = 0, end = 0;
  if (count > 0 &&
      (__builtin_mul_overflow(static_cast<UV>(count - 1), static_cast<UV>(stride), &last) ||
       __builtin_add_overflow(last, static_cast<UV>(offset) + 8 * static_cast<UV>(column + 1), &end) || end > length))
    return nullptr;
  return data + offset + 8 * column;
}

// fill_column(\@array, $bytes, $offset, $count, $stride, $column): replaces the array's
// contents by `count` doubles, the i-th at byte offset + i * stride + 8 * column.
XS(xs_fill_column) {
  dXSARGS;
  if (items != 6) croak_xs_usage(cv, "array, bytes, offset, count, stride, column");
  SV* ref = ST(0);
  if (!SvROK(ref) || SvTYPE(SvRV(ref)) != SVt_PVAV) croak("fill_column: not an array reference");
  AV* av = reinterpret_cast<AV*>(SvRV(ref));
  const IV count = SvIV(ST(3)), stride = SvIV(ST(4));
  const char* p = columnStart(aTHX_ ST(1), SvIV(ST(2)), count, stride, SvIV(ST(5)));
  if (!p) croak("fill_column: the input ended early");
  av_clear(av);
  if (count > 0) {
    av_extend(av, count - 1);
    SV** slots = AvARRAY(av);
    for (IV i = 0; i < count; ++i, p += stride) {
      NV v;
      std::memcpy(&v, p, sizeof v);
      slots[i] = newSVnv(v);
    }
    AvFILLp(av) = count - 1;
  }
  XSRETURN_EMPTY;
}

// column_bytes($bytes, $offset, $count, $stride, $column): the column as packed doubles
// (what pack 'd*' makes), taken from the interleaved point records.
XS(xs_column_bytes) {
  dXSARGS;
  if (items != 5) croak_xs_usage(cv, "bytes, offset, count, stride, column");
  const IV count = SvIV(ST(2)), stride = SvIV(ST(3));
  const char* q = columnStart(aTHX_ ST(0), SvIV(ST(1)), count, stride, SvIV(ST(4)));
  if (!q) croak("column_bytes: the input ended early");
  const STRLEN size = 8 * static_cast<STRLEN>(count);
  SV* out = newSV(size + 1);
  SvPOK_on(out);
  char* p = SvPVX(out);
  for (IV i = 0; i < count; ++i, p += 8, q += stride) std::memcpy(p, q, 8);
  SvCUR_set(out, size);
  *SvEND(out) = '\0';
  ST(0) = sv_2mortal(out);
  XSRETURN(1);
}

// One column of the result: either a Perl array of values or a column of the input
// bytes that was never unpacked (an array [\$bytes, offset, stride, column] blessed
// into Xyla::Bridge::Raw).
struct Source {
  AV* values = nullptr;
  const char* raw = nullptr;
  IV stride = 0;
};

bool readSource(pTHX_ SV* sv, IV count, Source& s) {
  if (!SvROK(sv) || SvTYPE(SvRV(sv)) != SVt_PVAV) return false;
  AV* av = reinterpret_cast<AV*>(SvRV(sv));
  if (!sv_isobject(sv) || !sv_derived_from(sv, "Xyla::Bridge::Raw")) {
    s.values = av;
    return true;
  }
  SV** f = AvARRAY(av);
  if (AvFILLp(av) != 3 || !SvROK(f[0])) return false;
  s.stride = SvIV(f[2]);
  s.raw = columnStart(aTHX_ SvRV(f[0]), SvIV(f[1]), count, s.stride, SvIV(f[3]));
  return s.raw != nullptr;
}

// pack_points($count, @columns): the point records of a result buffer, each the
// columns' doubles followed by eight zero bytes (an empty comment and an empty source).
// A missing or undefined value counts as 0, as with pack.
XS(xs_pack_points) {
  dXSARGS;
  if (items < 2 || items > 5) croak_xs_usage(cv, "count, columns...");
  const IV count = SvIV(ST(0));
  const int c = static_cast<int>(items - 1);
  if (count < 0) croak("pack_points: negative count");
  Source sources[4];
  for (int k = 0; k < c; ++k)
    if (!readSource(aTHX_ ST(k + 1), count, sources[k])) croak("pack_points: column %d is not usable", k + 1);
  const STRLEN record = 8 * static_cast<STRLEN>(c + 1), size = record * static_cast<STRLEN>(count);
  SV* out = newSV(size + 1);
  SvPOK_on(out);
  char* base = SvPVX(out);
  std::memset(base, 0, size + 1);
  for (int k = 0; k < c; ++k) {
    const Source& s = sources[k];
    char* p = base + 8 * k;
    if (s.raw) {
      const char* q = s.raw;
      for (IV i = 0; i < count; ++i, p += record, q += s.stride) std::memcpy(p, q, 8);
      continue;
    }
    const bool plain = !SvRMAGICAL(s.values);
    const IV have = av_top_index(s.values) + 1;
    for (IV i = 0; i < count && i < have; ++i, p += record) {
      SV* e = nullptr;
      if (plain) {
        e = AvARRAY(s.values)[i];
      } else {
        SV** slot = av_fetch(s.values, i, 0);
        e = slot ? *slot : nullptr;
      }
      const NV v = e && SvOK(e) ? SvNV(e) : 0.0;
      std::memcpy(p, &v, 8);
    }
  }
  SvCUR_set(out, size);
  ST(0) = sv_2mortal(out);
  XSRETURN(1);
}

}  // namespace

extern "C" XS_EXTERNAL(boot_Xyla__Bridge);
extern "C" XS_EXTERNAL(boot_Xyla__Bridge) {
  dVAR;
  dXSBOOTARGSNOVERCHK;
  newXS("Xyla::Bridge::fill_column", xs_fill_column, __FILE__);
  newXS("Xyla::Bridge::pack_points", xs_pack_points, __FILE__);
  newXS("Xyla::Bridge::column_bytes", xs_column_bytes, __FILE__);
  Perl_xs_boot_epilog(aTHX_ ax);
}

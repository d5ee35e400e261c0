#include "text/encoding_names.h"

#include <array>
#include <cstddef>

namespace kx::text {

namespace {

// 254 lower-case encoding names in 150 hash buckets. A name lives in bucket (sum of its UTF-16
// units) % 150. Each bucket is its entries written one after another; an entry is two decimal
// digits of name length, five decimal digits of code page, then the name.
constexpr std::size_t kBucketCount = 150;
constexpr std::array<std::u16string_view, kBucketCount> kBuckets = {
    u"2701148x-ebcdic-international-euro1028599iso_8859-9",                               // 0
    u"1420284x-ebcdic-spain0828596ecma-114",                                              // 1
    u"1420127ansi_x3.4-19681420127ansi_x3.4-19860751949cseuckr",                          // 2
    u"",                                                                                  // 3
    u"1410001x-mac-japanese",                                                             // 4
    u"0500936cn-gb0828597ecma-118",                                                       // 5
    u"0600932x-sjis",                                                                     // 6
    u"0228591l1",                                                                         // 7
    u"03004374370300936gbk0228592l2",                                                     // 8
    u"1420280x-ebcdic-italy0228593l3",                                                    // 9
    u"2701142x-ebcdic-denmarknorway-euro0228594l40628596arabic",                          // 10
    u"0228595l5",                                                                         // 11
    u"",                                                                                  // 12
    u"0900932shift-jis0700950cn-big5",                                                    // 13
    u"",                                                                                  // 14
    u"0800936csgb23120228605l9",                                                          // 15
    u"",                                                                                  // 16
    u"",                                                                                  // 17
    u"0920127iso646-us",                                                                  // 18
    u"0600850ibm850",                                                                     // 19
    u"0600437ibm4370800949ksc_5601",                                                      // 20
    u"0600852ibm8520600861ibm861",                                                        // 21
    u"0620127ibm367",                                                                     // 22
    u"0600737ibm7371420002x-chinese-eten0320866koi",                                      // 23
    u"1601146x-ebcdic-uk-euro1410007x-mac-cyrillic1320107x-ia5-swedish0628591ibm819",     // 24
    u"0600775ibm775",                                                                     // 25
    u"0600857ibm8570600866ibm8661020127iso-ir-6us2750937x-ebcdic-traditionalchinese",     // 26
    u"1710002x-mac-chinesetrad",                                                          // 27
    u"",                                                                                  // 28
    u"0600869ibm869",                                                                     // 29
    u"",                                                                                  // 30
    u"0500437cspc8",                                                                      // 31
    u"1000932csshiftjis1250221_iso-2022-jp0551932x-euc",                                  // 32
    u"2000875x-ebcdic-greekmodern0601200utf-163350939x-ebcdic-japaneseandjapaneselatin",  // 33
    u"1320838x-ebcdic-thai",                                                              // 34
    u"1028591iso-ir-100",                                                                 // 35
    u"0800708asmo-7081028592iso-ir-1011028594iso-ir-110",                                 // 36
    u"0628598hebrew",                                                                     // 37
    u"1057003x-iscii-be",                                                                 // 38
    u"1901145x-ebcdic-spain-euro1620127iso_646.irv:1991",                                 // 39
    u"0600949korean1057002x-iscii-de",                                                    // 40
    u"1710008x-mac-chinesesimp1628596csisolatinarabic",                                   // 41
    u"",                                                                                  // 42
    u"0520866koi8r1028595iso-ir-1441028597iso-ir-1261057008x-iscii-ka",                   // 43
    u"2420880x-ebcdic-cyrillicrussian1028593iso-ir-1091028596iso-ir-127",                 // 44
    u"1000936gb_2312-801128605iso_8859-151057009x-iscii-ma",                              // 45
    u"1028598iso-ir-138",                                                                 // 46
    u"1901144x-ebcdic-italy-euro0928591iso8859-11028599iso-ir-148",                       // 47
    u"1000949iso-ir-1490820127us-ascii0928592iso8859-21057011x-iscii-pa",                 // 48
    u"1220106x-ia5-german",                                                               // 49
    u"",                                                                                  // 50
    u"2320833x-ebcdic-koreanextended1057006x-iscii-as",                                   // 51
    u"1057004x-iscii-ta",                                                                 // 52
    u"1000932x-ms-cp932",                                                                 // 53
    u"",                                                                                  // 54
    u"0800936gb2312800721866koi8-ru",                                                     // 55
    u"1300949csksc560119871057005x-iscii-te",                                             // 56
    u"",                                                                                  // 57
    u"",                                                                                  // 58
    u"0400950big52650935x-ebcdic-simplifiedchinese1057010x-iscii-gu",                     // 59
    u"0500775cp5003321025x-ebcdic-cyrillicserbianbulgarian0628598visual",                 // 60
    u"1150221csiso2022jp1765000unicode-1-1-utf-7",                                        // 61
    u"1765001unicode-1-1-utf-81765001unicode-2-0-utf-8",                                  // 62
    u"0900932shift_jis4551932extended_unix_code_packed_format_for_japanese",              // 63
    u"1150225csiso2022kr1057007x-iscii-or",                                               // 64
    u"",                                                                                  // 65
    u"0501361johab0910000macintosh1951932cseucpkdfmtjapanese",                            // 66
    u"1620273x-ebcdic-germany0829001x-europa",                                            // 67
    u"1628598csisolatinhebrew",                                                           // 68
    u"0500437cp4371320000x-chinese-cns",                                                  // 69
    u"0500852cp8520500870cp870",                                                          // 70
    u"0520127ascii0520127cp367",                                                          // 71
    u"1500420x-ebcdic-arabic",                                                            // 72
    u"0528591cp819",                                                                      // 73
    u"0700720dos-720",                                                                    // 74
    u"0500866cp8660700949ksc56011210004x-mac-arabic",                                     // 75
    u"0528597greek1965000x-unicode-2-0-utf-7",                                            // 76
    u"1400949ks_c_5601-19871965001x-unicode-2-0-utf-8",                                   // 77
    u"",                                                                                  // 78
    u"1400949ks_c_5601-19892520290x-ebcdic-japanesekatakana0420866koi8",                  // 79
    u"",                                                                                  // 80
    u"0700862dos-8621128592csisolatin2",                                                  // 81
    u"1100437codepage4370201252us",                                                       // 82
    u"0700874tis-6201128594csisolatin4",                                                  // 83
    u"0700874dos-8741128595csisolatin5",                                                  // 84
    u"1200037ebcdic-cp-us1501143x-ebcdic-france1520108x-ia5-norwegian",                   // 85
    u"1820873x-ebcdic-icelandic",                                                         // 86
    u"1100874windows-8741150220iso-2022-jp",                                              // 87
    u"0620866koi8-r",                                                                     // 88
    u"0800950x-x-big51510079x-mac-icelandic",                                             // 89
    u"2220278x-ebcdic-finlandsweden1620905x-ebcdic-turkish1150225iso-2022-kr2850933x-ebcdic-"
    u"japaneseanduscanada",                                                                // 90
    u"0621866koi8-u",                                                                      // 91
    u"1028591iso-8859-1",                                                                  // 92
    u"1310081x-mac-turkish1028592iso-8859-2",                                              // 93
    u"0800932ms_kanji0801252iso-ir-61028593iso-8859-30828597elot_928",                     // 94
    u"0528593csiso1028594iso-8859-41565000csunicode11utf7",                                // 95
    u"1028595iso-8859-5",                                                                  // 96
    u"1028596iso-8859-6",                                                                  // 97
    u"1028597iso-8859-73250933x-ebcdic-koreanandkoreanextended",                           // 98
    u"1520424x-ebcdic-hebrew1028598iso-8859-81238598iso-8859-8-i1650222_iso-2022-jp$sio",  // 99
    u"0900936gb2312-801101201unicodefffe1028599iso-8859-9",                                // 100
    u"0600936gb2312",                                                                      // 101
    u"1210005x-mac-hebrew",                                                                // 102
    u"",                                                                                   // 103
    u"",                                                                                   // 104
    u"2101143x-ebcdic-germany-euro1210003x-mac-korean",                                    // 105
    u"",                                                                                   // 106
    u"0720866cskoi8r1528597csisolatingreek",                                               // 107
    u"",                                                                                   // 108
    u"1500936csiso58gb2312800828595cyrillic",                                              // 109
    u"",                                                                                   // 110
    u"",                                                                                   // 111
    u"0601026cp1026",                                                                      // 112
    u"",                                                                                   // 113
    u"",                                                                                   // 114
    u"0900949ks_c_56010810029x-mac-ce",                                                    // 115
    u"",                                                                                   // 116
    u"0601256cp12561528591iso_8859-1:19871052936hz-gb-2312",                               // 117
    u"1528592iso_8859-2:1987",                                                             // 118
    u"1000936csgb2312802450930x-ebcdic-japaneseandkana",                                   // 119
    u"0520105x-ia51528593iso_8859-3:1988",                                                 // 120
    u"1528594iso_8859-4:19880651936euc-cn",                                                // 121
    u"2220277x-ebcdic-denmarknorway1528595iso_8859-5:19881528596iso_8859-6:1987",          // 122
    u"0600950csbig52001147x-ebcdic-france-euro1528597iso_8859-7:1987",                     // 123
    u"2301149x-ebcdic-icelandic-euro1201250windows-1250",                                  // 124
    u"1201251windows-12511528598iso_8859-8:1988",                                          // 125
    u"0801250x-cp12501201252windows-1252",                                                 // 126
    u"1400949ks_c_5601_19870801251x-cp12511201253windows-12531528599iso_8859-9:1989",      // 127
    u"2701143x-ebcdic-finlandsweden-euro1201254windows-1254",                              // 128
    u"1201255windows-1255",                                                                // 129
    u"1201256windows-12560651932euc-jp",                                                   // 130
    u"1201257windows-12570738598logical",                                                  // 131
    u"1201258windows-12580628597greek8",                                                   // 132
    u"0600949euc-kr",                                                                      // 133
    u"",                                                                                   // 134
    u"0700936chinese0720127csascii0628591latin10565000utf-7",                              // 135
    u"1120285x-ebcdic-uk0628592latin20851936x-euc-cn0565001utf-8",                         // 136
    u"0628593latin3",                                                                      // 137
    u"1901140x-ebcdic-cp-us-euro1420423x-ebcdic-greek0628594latin4",                       // 138
    u"0628599latin5",                                                                      // 139
    u"1828595csisolatincyrillic",                                                          // 140
    u"1100874iso-8859-111110006x-mac-greek",                                               // 141
    u"0601252x-ansi1028591iso_8859-1",                                                     // 142
    u"0701200unicode1028592iso_8859-20628605latin9",                                       // 143
    u"1028593iso_8859-3",                                                                  // 144
    u"1028594iso_8859-41128605iso-8859-150851932x-euc-jp",                                 // 145
    u"1028595iso_8859-5",                                                                  // 146
    u"1028596iso_8859-6",                                                                  // 147
    u"1028597iso_8859-7",                                                                  // 148
    u"1200932cswindows31j0900936iso-ir-581201255iso_8859-8-i1028598iso_8859-8",            // 149
};

constexpr int Digits(std::u16string_view s, std::size_t from, std::size_t count) {
  int value = 0;
  for (std::size_t i = from; i < from + count; ++i) {
    if (s[i] < u'0' || s[i] > u'9') return -1;
    value = value * 10 + (s[i] - u'0');
  }
  return value;
}

constexpr std::uint32_t BucketOf(std::u16string_view lowerName) {
  std::uint32_t sum = 0;
  for (char16_t c : lowerName)
    sum += c;
  return sum % kBucketCount;
}

// Walks every bucket at compile time: the entry format holds, every name is lower case and
// sits in its own bucket. Returns the number of names, or -1 for a malformed table.
constexpr int CheckedNameCount() {
  int names = 0;
  for (std::size_t b = 0; b < kBucketCount; ++b) {
    std::u16string_view bucket = kBuckets[b];
    std::size_t at = 0;
    while (at < bucket.size()) {
      if (bucket.size() - at < 7) return -1;
      int length = Digits(bucket, at, 2);
      if (length <= 0 || Digits(bucket, at + 2, 5) < 0) return -1;
      if (bucket.size() - at - 7 < static_cast<std::size_t>(length)) return -1;
      std::u16string_view name = bucket.substr(at + 7, static_cast<std::size_t>(length));
      for (char16_t c : name) {
        if (c >= u'A' && c <= u'Z') return -1;
      }
      if (BucketOf(name) != b) return -1;
      at += 7 + static_cast<std::size_t>(length);
      ++names;
    }
  }
  return names;
}

constexpr int EntriesIn(std::u16string_view bucket) {
  int entries = 0;
  for (std::size_t at = 0; at < bucket.size(); ++entries) {
    at += 7 + static_cast<std::size_t>(Digits(bucket, at, 2));
  }
  return entries;
}

constexpr int EmptyBuckets() {
  int empty = 0;
  for (auto bucket : kBuckets)
    empty += bucket.empty() ? 1 : 0;
  return empty;
}

constexpr int FullestBucket() {
  int most = 0;
  for (auto bucket : kBuckets)
    most = EntriesIn(bucket) > most ? EntriesIn(bucket) : most;
  return most;
}

static_assert(CheckedNameCount() == 254, "the encoding-name table holds 254 names");
static_assert(EmptyBuckets() == 25, "25 of the 150 buckets are empty");
static_assert(FullestBucket() == 4, "no bucket holds more than 4 names");

constexpr std::size_t kLongestName = 100;

}  // namespace

std::int32_t CodePageFromName(std::u16string_view name) {
  if (name.empty()) return 0;
  if (name.substr(0, 6) == u"UTF-32") return CodePageUtf32;
  if (name.size() >= kLongestName) return -1;

  char16_t lower[kLongestName];
  std::uint32_t sum = 0;
  for (std::size_t i = 0; i < name.size(); ++i) {
    char16_t c = name[i];
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    lower[i] = c;
    sum += c;
  }
  std::u16string_view wanted(lower, name.size());
  std::u16string_view bucket = kBuckets[sum % kBucketCount];
  for (std::size_t at = 0; at < bucket.size();) {
    auto length = static_cast<std::size_t>(Digits(bucket, at, 2));
    if (length == wanted.size() && bucket.substr(at + 7, length) == wanted) {
      return Digits(bucket, at + 2, 5);
    }
    at += 7 + length;
  }
  return -1;
}

}  // namespace kx::text

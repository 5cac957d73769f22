#include "data/device_merge.h"

#include <bit>
#include <functional>
#include <initializer_list>
#include <optional>
#include <tuple>
#include <vector>

#include "data/text.h"

namespace pelnor {

namespace {

constexpr const char* kBothChanged = "機器ＩＤ %ld の設定は他のプログラムでも変更されました";
constexpr const char* kWeDeleted =
    "機器ＩＤ %ld は削除しましたが、他のプログラムで変更されました\n"
    "自分の変更を残すと、この機器は削除されます";
constexpr const char* kTheyDeleted =
    "機器ＩＤ %ld は他のプログラムで削除されました\n"
    "自分の変更を残すと、この機器を登録し直します（削除された計測データは戻りません）";
constexpr const char* kBothAdded = "機器ＩＤ %ld は他のプログラムでも登録されました";
constexpr const char* kCommChanged = "通信設定は他のプログラムでも変更されました";
constexpr const char* kReportChanged = "報告書の既定の入力内容は他のプログラムでも変更されました";
constexpr const char* kMineLine = "\n　自分の変更：";
constexpr const char* kTheirsLine = "\n　他のプログラムの変更：";
constexpr const char* kDeleted = "（削除）";
constexpr const char* kWhich = "\nどちらの変更を残しますか";
constexpr const char* kReportPrefix = "報告書の";

using Keep = Reporter::Keep;

// One field of a record, merged on its own: compared, taken from another record, shown.
template <typename Record>
struct Field {
  std::string label;
  std::function<bool(const Record&, const Record&)> same;
  std::function<void(Record&, const Record&)> take;
  std::function<std::string(const Record&)> shown;
};

// A number with a fraction compares by its bits: read and written back, it is unchanged.
template <typename T>
bool sameValue(const T& a, const T& b) {
  return a == b;
}
bool sameValue(double a, double b) { return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b); }

// project(record) is the field's value: a reference, or a tuple of references for values
// that only make sense together; show turns it into text.
template <typename Record, typename Project, typename Show>
Field<Record> field(std::string label, Project project, Show show) {
  return {std::move(label),
          [project](const Record& a, const Record& b) { return sameValue(project(a), project(b)); },
          [project](Record& to, const Record& from) { project(to) = project(from); },
          [project, show](const Record& r) { return show(project(r)); }};
}

// A field of a part of the record (the device's report), under a longer label.
template <typename Outer, typename Inner, typename Part>
Field<Outer> within(const Field<Inner>& inner, const char* prefix, Part part) {
  return {prefix + inner.label,
          [inner, part](const Outer& a, const Outer& b) { return inner.same(part(a), part(b)); },
          [inner, part](Outer& to, const Outer& from) { inner.take(part(to), part(from)); },
          [inner, part](const Outer& r) { return inner.shown(part(r)); }};
}

std::string number(int32_t value) { return formatText("%ld", static_cast<long>(value)); }
std::string decimal(double value) { return formatText("%.15g", value); }
std::string text(const StoredText& value) { return value.str(); }
// A coded value by its name, as the settings dialog lists it.
auto named(std::initializer_list<const char*> names) {
  return [list = std::vector<const char*>(names)](int32_t value) {
    return value >= 0 && static_cast<std::size_t>(value) < list.size() ? std::string(list[value])
                                                                       : number(value);
  };
}

const std::vector<Field<ReportInfo>>& reportFields() {
  using R = ReportInfo;
  static const std::vector<Field<R>> fields = {
      field<R>(
          "入力", [](auto& r) -> auto& { return r.entered; },
          [](int32_t v) { return std::string(v != 0 ? "あり" : "なし"); }),
      field<R>(
          "日付", [](auto& r) { return std::tie(r.year, r.month, r.day); },
          [](const auto& date) {
            const auto [y, m, d] = date;
            constexpr int32_t kNotSet = 99;
            if (y == kNotSet && m == kNotSet && d == kNotSet) return std::string("なし");
            return formatText("%ld年%ld月%ld日", static_cast<long>(y), static_cast<long>(m),
                              static_cast<long>(d));
          }),
      field<R>(
          "事業所", [](auto& r) -> auto& { return r.office; }, text),
      field<R>(
          "契約番号", [](auto& r) -> auto& { return r.contractNumber; }, text),
      field<R>(
          "お客さま名称", [](auto& r) -> auto& { return r.customerName; }, text),
      field<R>(
          "業種", [](auto& r) -> auto& { return r.businessType; }, text),
      field<R>(
          "総変圧器容量[kVA]", [](auto& r) -> auto& { return r.totalTransformerKva; }, decimal),
      field<R>(
          "単相総[kVA]", [](auto& r) -> auto& { return r.singlePhaseKva; }, decimal),
      field<R>(
          "三相総[kVA]", [](auto& r) -> auto& { return r.threePhaseKva; }, decimal),
      field<R>(
          "３０分ﾃﾞﾏﾝﾄﾞ値[kW]", [](auto& r) -> auto& { return r.demandKw; }, decimal),
      field<R>(
          "予備", [](auto& r) -> auto& { return r.spare; }, number),
      field<R>(
          "記事", [](auto& r) -> auto& { return r.notes; }, text),
  };
  return fields;
}

const std::vector<Field<DeviceRecord>>& deviceFields() {
  using D = DeviceRecord;
  static const std::vector<Field<D>> fields = [] {
    std::vector<Field<D>> f = {
        field<D>(
            "需要家名", [](auto& d) -> auto& { return d.customerName; }, text),
        // The multiplier and the VCT's primary current are chosen together, as one row.
        field<D>(
            "VCT（一次電流[A]）", [](auto& d) { return std::tie(d.multiplier, d.primaryCurrent); },
            [](const auto& vct) { return number(std::get<1>(vct)); }),
        field<D>(
            "一次電圧[V]", [](auto& d) -> auto& { return d.primaryVoltage; }, number),
        field<D>(
            "二次電圧[V]", [](auto& d) -> auto& { return d.secondaryVoltage; }, number),
        field<D>(
            "二次電流[A]", [](auto& d) -> auto& { return d.secondaryCurrent; }, number),
        field<D>(
            "パルス定数", [](auto& d) -> auto& { return d.pulseConstant; }, number),
    };
    for (const Field<ReportInfo>& r : reportFields())
      f.push_back(within<D>(
          r, kReportPrefix, [](auto& d) -> auto& { return d.report; }));
    return f;
  }();
  return fields;
}

const std::vector<Field<CommSettings>>& commFields() {
  using C = CommSettings;
  static const std::vector<Field<C>> fields = {
      field<C>(
          "ポート番号", [](auto& c) -> auto& { return c[0]; },
          [](int32_t port) { return formatText("COM%ld", static_cast<long>(port)); }),
      field<C>(
          "ボーレイト", [](auto& c) -> auto& { return c[1]; }, number),
      field<C>(
          "データ長", [](auto& c) -> auto& { return c[2]; }, number),
      field<C>(
          "ストップビット", [](auto& c) -> auto& { return c[3]; }, named({"1", "1.5", "2"})),
      field<C>(
          "パリティチェック", [](auto& c) -> auto& { return c[4]; },
          named({"なし", "奇数", "偶数", "マーク"})),
      field<C>(
          "フロー制御", [](auto& c) -> auto& { return c[5]; }, named({"なし", "ハードウェア", "Xon/Xoff"})),
  };
  return fields;
}

template <typename Record>
using FieldList = std::vector<const Field<Record>*>;

template <typename Record>
FieldList<Record> differing(const std::vector<Field<Record>>& fields, const Record& a, const Record& b) {
  FieldList<Record> out;
  for (const Field<Record>& f : fields)
    if (!f.same(a, b)) out.push_back(&f);
  return out;
}

// Shows each field as both sides have it (a missing side was deleted) and asks which stays.
template <typename Record>
Keep ask(const std::string& heading, const FieldList<Record>& fields, const Record* mine,
         const Record* theirs, const KeepDecision& decide) {
  std::string text = heading;
  for (const Field<Record>* f : fields) {
    text += "\n" + f->label;
    text += kMineLine + (mine ? f->shown(*mine) : std::string(kDeleted));
    text += kTheirsLine + (theirs ? f->shown(*theirs) : std::string(kDeleted));
  }
  return decide(text + kWhich);
}

// theirs with the fields mine changed since base; where both changed a field differently,
// asked under heading.
template <typename Record>
Record mergeFields(const Record& base, const Record& mine, const Record& theirs,
                   const std::vector<Field<Record>>& fields, const std::string& heading,
                   const KeepDecision& decide) {
  Record merged = theirs;
  FieldList<Record> conflicts;
  for (const Field<Record>& f : fields) {
    if (f.same(mine, base) || f.same(mine, theirs)) continue;
    if (f.same(theirs, base)) {
      f.take(merged, mine);
    } else {
      conflicts.push_back(&f);
    }
  }
  if (!conflicts.empty() && ask(heading, conflicts, &mine, &theirs, decide) == Keep::Mine) {
    for (const Field<Record>* f : conflicts) f->take(merged, mine);
  }
  return merged;
}

// One device ID as base, mine and theirs hold it (null: not there); empty when it goes.
std::optional<DeviceRecord> mergeDevice(const DeviceRecord* base, const DeviceRecord* mine,
                                        const DeviceRecord* theirs, const KeepDecision& decide) {
  auto asOptional = [](const DeviceRecord* r) { return r ? std::optional(*r) : std::nullopt; };
  if (base && mine && *mine == *base) return asOptional(theirs);  // we left it alone
  const auto& fields = deviceFields();
  const long id = (base ? base : mine ? mine : theirs)->deviceId;
  if (!base) {
    if (!mine || !theirs) return asOptional(mine ? mine : theirs);
    const FieldList<DeviceRecord> differ = differing(fields, *mine, *theirs);
    if (differ.empty()) return *theirs;
    return ask(formatText(kBothAdded, id), differ, mine, theirs, decide) == Keep::Mine ? *mine : *theirs;
  }
  if (!mine && !theirs) return std::nullopt;
  if (!mine || !theirs) {
    // One deleted it; the other's changes, if any, are what would be lost either way.
    const DeviceRecord& kept = mine ? *mine : *theirs;
    const FieldList<DeviceRecord> changed = differing(fields, kept, *base);
    if (changed.empty()) return std::nullopt;
    const Keep keep = ask(formatText(mine ? kTheyDeleted : kWeDeleted, id), changed, mine, theirs, decide);
    return (keep == Keep::Mine) == (mine != nullptr) ? std::optional(kept) : std::nullopt;
  }
  return mergeFields(*base, *mine, *theirs, fields, formatText(kBothChanged, id), decide);
}

// The record of id at a registry's cursor, moving the cursor past it; null when absent.
const DeviceRecord* take(const DeviceRegistry& registry, int& cursor, int32_t id) {
  if (cursor >= registry.count() || registry.deviceAt(cursor).deviceId != id) return nullptr;
  return &registry.deviceAt(cursor++);
}

}  // namespace

DeviceRegistry mergeRegistries(const DeviceRegistry& base, const DeviceRegistry& mine,
                               const DeviceRegistry& theirs, const KeepDecision& decide) {
  DeviceRegistry merged = theirs;
  // Every ID that any of the three holds, in order.
  int b = 0, m = 0, t = 0;
  for (;;) {
    int32_t id = 0;
    bool any = false;
    for (auto [registry, cursor] : {std::pair{&base, b}, std::pair{&mine, m}, std::pair{&theirs, t}}) {
      if (cursor >= registry->count()) continue;
      const int32_t next = registry->deviceAt(cursor).deviceId;
      if (!any || next < id) id = next;
      any = true;
    }
    if (!any) break;
    const DeviceRecord* inBase = take(base, b, id);
    const DeviceRecord* inMine = take(mine, m, id);
    const DeviceRecord* inTheirs = take(theirs, t, id);
    const std::optional<DeviceRecord> result = mergeDevice(inBase, inMine, inTheirs, decide);
    if (result && !(inTheirs && *result == *inTheirs)) {
      merged.put(*result);
    } else if (!result && inTheirs) {
      merged.removeAt(merged.positionOf(id));
    }
  }
  merged.commSettings = mergeFields(base.commSettings, mine.commSettings, theirs.commSettings, commFields(),
                                    kCommChanged, decide);
  merged.report =
      mergeFields(base.report, mine.report, theirs.report, reportFields(), kReportChanged, decide);
  return merged;
}

}  // namespace pelnor

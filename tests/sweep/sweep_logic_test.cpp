// The sweep's own logic: which frames an operation owns, which runs are planned, how a run is
// judged, and its results read back.
#include <gtest/gtest.h>

#include <set>

#include "sweep_oracle.h"
#include "sweep_plan.h"
#include "sweep_scene.h"
#include "sweep_table.h"

namespace zemlo::sweep {
namespace {

using handsim::ExchangePoint;

// A connect, a rename and a disconnect as the emulator numbers them.
std::vector<ExchangePoint> recorded() {
    std::vector<ExchangePoint> e;
    auto add = [&](bool pc, const std::string &what, uint32_t segments) {
        for (uint32_t s = 0; s < segments; ++s) {
            e.push_back({static_cast<uint32_t>(e.size() + 1), pc, what, s});
        }
    };
    add(true, "filter", 1);
    add(true, "setup", 1);
    add(true, "handshake", 2);
    add(false, "reply", 1);
    add(true, "list", 2);
    add(false, "reply", 1);
    add(false, "listing start", 3);
    add(true, "listing ack", 1);
    add(false, "listing end", 3);
    add(true, "rename", 2);
    add(false, "reply", 1);
    add(true, "disconnect", 2);
    add(false, "reply", 1);
    return e;
}

TEST(SweepPlan, AnOperationOwnsItsFramesUpToTheNextCommand) {
    const auto e = recorded();
    const auto rename = find_span(e, {{"rename"}, {"disconnect"}});
    ASSERT_TRUE(rename);
    EXPECT_EQ(e[rename->first - 1].message, "rename");
    EXPECT_EQ(e[rename->last - 1].message, "reply");
    EXPECT_EQ(rename->size(), 3u);

    const auto connect = find_span(e, {{}, {"disconnect", "rename"}});
    ASSERT_TRUE(connect);
    EXPECT_EQ(connect->first, 1u);
    EXPECT_EQ(e[connect->last - 1].message, "listing end");

    const auto disconnect = find_span(e, {{"disconnect"}, {}});
    ASSERT_TRUE(disconnect);
    EXPECT_EQ(disconnect->last, e.back().index);
    // A command the exchange lacks gives no span, and a later segment never starts one.
    EXPECT_FALSE(find_span(e, {{"delete"}, {}}));
}

TEST(SweepPlan, MessageFaultsAtMessageStartsEveryOtherAtEveryFrameExceptSkipped) {
    const auto e = recorded();
    const Span listing{12, 15};  // listing start (3 frames) and the ack
    const auto runs = plan_runs("connect", e, listing);
    auto count = [&](FaultKind k) {
        return std::count_if(runs.begin(), runs.end(), [&](const auto &r) { return r.kind == k; });
    };
    EXPECT_EQ(count(FaultKind::Drop), 4);
    EXPECT_EQ(count(FaultKind::Cancel), 4);
    // The handset's three-frame packet counts once, the PC's ack once.
    EXPECT_EQ(count(FaultKind::Withhold), 2);
    EXPECT_EQ(count(FaultKind::Event), 2);

    const auto skipped = plan_runs("connect", e, listing, Span{13, 14});
    EXPECT_EQ(std::count_if(skipped.begin(), skipped.end(),
                            [](const auto &r) { return r.point == 13 || r.point == 14; }),
              0);

    std::set<std::tuple<int, uint32_t>> seen;
    for (uint32_t i = 1; i <= 3; ++i) {
        for (const auto &r : shard(runs, i, 3)) {
            EXPECT_TRUE(seen.insert({static_cast<int>(r.kind), r.point}).second);
        }
    }
    EXPECT_EQ(seen.size(), runs.size());
    EXPECT_TRUE(shard(runs, 4, 3).empty());
}

TEST(SweepPlan, FaultsBecomeTheEmulatorsCommandsAndCancelStaysTheSweeps) {
    EXPECT_EQ(fault_command(FaultKind::Drop, 7, 700), "at 7 drop");
    EXPECT_EQ(fault_command(FaultKind::LoseAck, 7, 700), "at 7 lose-ack");
    EXPECT_EQ(fault_command(FaultKind::Delay, 7, 700), "at 7 delay 700");
    EXPECT_EQ(fault_command(FaultKind::Event, 9, 700), "at 9 event 1");
    EXPECT_FALSE(fault_command(FaultKind::Cancel, 9, 700));
    for (FaultKind k : kFaultKinds) {
        EXPECT_EQ(fault_kind_from_name(fault_kind_name(k)), k);
    }
}

RunFacts rename_run(Told told, const StoreFiles &after) {
    RunFacts f;
    f.before = {{"pic/a.bmp", {1, 2}}};
    f.intended = {{"pic/c.bmp", {1, 2}}};
    f.after = after;
    f.told = told;
    return f;
}

std::vector<Violation> violations(const RunFacts &f) {
    return judge(f, Bounds{}).violations;
}

TEST(SweepOracle, TheStoreDecidesWhatMayBeSaid) {
    const StoreFiles before = {{"pic/a.bmp", {1, 2}}};
    const StoreFiles renamed = {{"pic/c.bmp", {1, 2}}};
    EXPECT_TRUE(violations(rename_run(Told::Success, renamed)).empty());
    EXPECT_TRUE(violations(rename_run(Told::Failure, before)).empty());
    // "Unknown, check the listing" is true whichever way it went.
    EXPECT_TRUE(violations(rename_run(Told::Unknown, renamed)).empty());
    EXPECT_TRUE(violations(rename_run(Told::Unknown, before)).empty());

    EXPECT_EQ(violations(rename_run(Told::Success, before)),
              std::vector<Violation>{Violation::FalseSuccess});
    EXPECT_EQ(violations(rename_run(Told::Failure, renamed)),
              std::vector<Violation>{Violation::FailureWithoutUnknown});
    // A file changed by a byte, or a partial one beside the old: lost, and never a success.
    const StoreFiles damaged = {{"pic/c.bmp", {1, 3}}};
    EXPECT_EQ(violations(rename_run(Told::Success, damaged)),
              (std::vector<Violation>{Violation::LostFile, Violation::FalseSuccess}));
    EXPECT_EQ(violations(rename_run(Told::Failure, {{"pic/a.bmp", {1, 2}}, {"pic/c.bmp", {1}}})),
              std::vector<Violation>{Violation::LostFile});
}

TEST(SweepOracle, HangsSpinsStateAndLeftoversAreFaultsWhateverWasSaid) {
    RunFacts f = rename_run(Told::Success, {{"pic/c.bmp", {1, 2}}});
    f.ended = false;
    EXPECT_EQ(violations(f), std::vector<Violation>{Violation::Hang});
    f.ended = true;
    f.cpu_seconds = 5;
    f.shown_agrees = false;
    f.reconnect_agrees = false;
    f.second_works = false;
    f.left_behind = {"run-1-abc"};
    EXPECT_EQ(violations(f), (std::vector<Violation>{Violation::Spin, Violation::StateDisagrees,
                                                     Violation::ReconnectDisagrees,
                                                     Violation::SecondFails, Violation::WorkLeft}));
    RunFacts quiet = rename_run(Told::Failure, {{"pic/a.bmp", {1, 2}}});
    quiet.failure_named = false;
    EXPECT_EQ(violations(quiet), std::vector<Violation>{Violation::Unnamed});
    // An operation that changes nothing (a listing) cannot be a false success by the store.
    RunFacts list;
    list.before = list.intended = list.after = {{"pic/a.bmp", {1}}};
    EXPECT_TRUE(violations(list).empty());
}

TEST(SweepTable, ResultsSurviveTheirLineAndTheTableCountsThem) {
    RunResult r{{"rename", FaultKind::LoseAck, 23},
                Told::Unknown,
                {Violation::StateDisagrees, Violation::WorkLeft},
                1.25,
                "exit 1:\ttab\nline"};
    const auto back = parse_result_line(result_line(r));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->run, r.run);
    EXPECT_EQ(back->told, r.told);
    EXPECT_EQ(back->violations, r.violations);
    EXPECT_EQ(back->note, "exit 1: tab line");
    EXPECT_FALSE(parse_result_line("rename\tnot-a-kind\t1\tsuccess\t\t0\t"));

    const std::vector<RunResult> results = {
        {{"rename", FaultKind::Drop, 10}, Told::Failure, {}, 1, ""},
        {{"rename", FaultKind::Drop, 11}, Told::Success, {}, 1, ""},
        {{"rename", FaultKind::Twice, 10}, Told::Unknown, {}, 1, ""},
        {{"delete", FaultKind::Drop, 10}, Told::Success, {Violation::FalseSuccess}, 1, ""}};
    const std::string table = result_table(results, {"delete", "rename"});
    EXPECT_LT(table.find("| delete |"), table.find("| rename |"));
    EXPECT_NE(table.find("| rename | 2: 1/1/0 | – | 1: 0/0/1 |"), std::string::npos) << table;
    EXPECT_NE(table.find("False successes 1, hangs 0, lost or damaged files 0, other faults 0"),
              std::string::npos)
        << table;
}

TEST(SweepScene, AListingPrintedAsJsonIsHeldAgainstTheStore) {
    const StoreFiles store = {{"pic/a.bmp", std::vector<uint8_t>(700)},
                              {"melody/m.mid", std::vector<uint8_t>(512)}};
    const Listed expected = listing_of(store, 524288);
    EXPECT_EQ(expected.free_space, 524288 - 92160 - 1024 - 1024);
    const std::string json =
        "{\"port\":3,\"device\":\"/x\",\"capacity\":432128,\"used\":2048,\"free\":430080,"
        "\"folders\":{\"pic\":{\"path\":\"a:\\\\pcdlw\\\\pic\",\"files\":[{\"name\":\"a.bmp\","
        "\"size\":700,\"allocated\":1024}]},\"melody\":{\"path\":\"a:\\\\pcdlw\\\\melody\","
        "\"files\":[{\"name\":\"m.mid\",\"size\":512,\"allocated\":1024}]}}}\n";
    EXPECT_EQ(parse_json_listing(json), expected);
    EXPECT_FALSE(parse_json_listing("zemlo-cli: 连接手机失败"));
    std::string renamed = json;
    renamed.replace(renamed.find("a.bmp"), 5, "c.bmp");
    EXPECT_NE(parse_json_listing(renamed), expected);
}

}  // namespace
}  // namespace zemlo::sweep

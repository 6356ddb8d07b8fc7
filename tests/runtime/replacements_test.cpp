// Outputs written into folders and over files already there: what a folder
// takes, other users' files and links in shared folders, the access a
// replaced file keeps, what others change while a run waits, and an
// output's data on the disk before it has its name.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "runtime/targets.h"
#include "tests/access_lists.h"
// Last: it ends with the X headers, whose macros (None, Bool) clash with the others.
#include "tests/runtime/run_harness.h"

namespace {

using namespace run_harness;

// What a folder takes is written: the longest name it takes, shots whose
// paths are longer than the system's limit for a path, and one device that
// throws writes away shared by two outputs.
TEST(Endings, WhatAFolderTakesIsWritten) {
  Folder f("taken_whole");
  std::string name255 = std::string(251, 'n') + ".png";
  // A folder whose path is a little shorter than the limit.
  fs::path deep = f.dir;
  while (deep.string().size() < PATH_MAX - 220) deep /= std::string(200, 'd');
  deep /= std::string(PATH_MAX - 8 - deep.string().size(), 's');
  ASSERT_LT(deep.string().size(), static_cast<size_t>(PATH_MAX));
  fs::create_directories(deep);
  Outcome o = run({{"kelvaro", "--headless", "--keys", "1 Enter", "--png", (f.dir / name255).string(), "--shots",
                    deep.string(), "--trace", "/dev/null"},
                   {kNoLeaks},
                   f.dir / "err"});
  EXPECT_EQ(o.ending, 0);
  EXPECT_EQ(o.says, std::vector<std::string>{});
  expectWholePng(f.dir / name255);
  int folder = open(deep.c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_GE(folder, 0);
  for (const char* shot : {"shot-0001.png", "shot-0002.png"}) {
    struct stat st;
    EXPECT_EQ(fstatat(folder, shot, &st, 0), 0) << shot;
    EXPECT_GT(st.st_size, 100) << shot;
  }
  close(folder);
  o = run({{"kelvaro", "--headless", "--keys", "1", "--png", "/dev/null", "--trace", "/dev/null"}, {kNoLeaks}, f.dir / "err"});
  EXPECT_EQ(o.ending, 0);
  EXPECT_EQ(o.says, std::vector<std::string>{});
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
  // A run started without its standard streams, whose numbers its own
  // files and folders may then take: they are not written as streams, and
  // what a library writes to the streams meanwhile (fontconfig's report of
  // each font it matches, asked for by the environment) goes into none of
  // them. Each output is the same as a run's that has its streams; a run
  // with one output has the fewest folders of its own on those numbers.
  std::string keys = "1 Enter";
  for (int i = 0; i < 30; ++i) keys += " Space Space Esc 1 Enter";
  const std::vector<std::string> both = {"--png", "p.png", "--trace", "t.jsonl"}, pngOnly = {"--png", "p.png"},
                                 traceOnly = {"--trace", "t.jsonl"};
  for (const std::vector<std::string>& given : {both, pngOnly, traceOnly}) {
    Folder g("streamless"), withStreams("with_streams");
    for (const Folder* into : {&withStreams, &g}) {
      std::vector<std::string> args = {"kelvaro", "--headless", "--keys", keys};
      for (size_t i = 0; i < given.size(); i += 2)
        args.insert(args.end(), {given[i], (into->dir / given[i + 1]).string()});
      Spawn s(args, {kNoLeaks, "FC_DEBUG=1"}, f.dir / "err");
      if (into == &g) s.closed = {0, 1, 2};
      EXPECT_EQ(run(s).ending, 0);
    }
    expectOnlyWholeOutputs(g);
    for (size_t i = 0; i < given.size(); i += 2) {
      SCOPED_TRACE(given[i]);
      fs::path made = g.dir / given[i + 1];
      if (given[i] == "--png") expectWholePng(made);
      else expectWholeTrace(made);
      EXPECT_TRUE(slurp(made) == slurp(withStreams.dir / given[i + 1])) << "not what a run with its streams writes";
    }
  }
  // The program's own standard output, a pipe, in a process namespace of
  // its own where its number is not the one /proc knows it by.
  if (std::system("unshare -rpf true >/dev/null 2>&1") != 0) {
    std::printf("[ skipped  ] the standard output in another process namespace: no user namespaces here\n");
    return;
  }
  int ends[2];
  ASSERT_EQ(pipe2(ends, O_CLOEXEC), 0);
  Spawn inNamespace({"/usr/bin/unshare", "-rpf", std::string(LESSON_BIN_DIR) + "/kelvaro", "--headless", "--keys", "1",
                     "--png", "/dev/stdout"},
                    {kNoLeaks}, f.dir / "err");
  inNamespace.outPipe = ends[1];
  pid_t pid = start(inNamespace);
  close(ends[1]);
  std::string png;
  char buf[65536];
  for (ssize_t n; (n = read(ends[0], buf, sizeof buf)) != 0;)
    if (n > 0) png.append(buf, static_cast<size_t>(n));
    else if (errno != EINTR) break;
  close(ends[0]);
  EXPECT_EQ(ending(pid), 0);
  EXPECT_EQ(linesOf(slurp(f.dir / "err")), std::vector<std::string>{});
  put(f.dir / "out.png", png);
  expectWholePng(f.dir / "out.png");
}

// In a folder that every user may write to and only owners may delete
// from (/tmp), a link, a FIFO or a file is used only when it belongs to
// the user running the program or to the folder's owner, as the kernel's
// guard would have it whatever the machine's setting, for root too; in a
// sticky folder that only some may write to, another user's file is
// replaced only by the folder's owner or one who may override owners
// (CAP_FOWNER, whatever the user id); a file root replaces keeps its
// owner, group and mode, but for a set-user-ID bit, also when root may not
// override owners.
TEST(Endings, SharedFoldersLeaveOtherUsersTheirLinksAndFiles) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root, to make files and links of another user";
  Folder f("shared");
  fs::path shared = f.dir / "shared", kept = f.dir / "kept", victim = kept / "victim";
  fs::path theirShared = f.dir / "their-shared", theirKept = f.dir / "their-kept";
  // Sticky, but not writable by all: root's, and a group's of another user.
  fs::path sticky = f.dir / "sticky", groupSticky = f.dir / "group-sticky";
  for (const fs::path& d : {shared, kept, theirShared, theirKept, sticky, groupSticky}) fs::create_directories(d);
  ASSERT_EQ(chmod(shared.c_str(), 01777), 0);
  ASSERT_EQ(chmod(theirShared.c_str(), 01777), 0);
  ASSERT_EQ(chown(theirShared.c_str(), kNobody, kNogroup), 0);
  ASSERT_EQ(chown(theirKept.c_str(), kNobody, kNogroup), 0);
  ASSERT_EQ(chmod(sticky.c_str(), 01755), 0);
  constexpr uid_t kFolderOwner = 1234, kFileOwner = 1235;
  ASSERT_EQ(chown(groupSticky.c_str(), kFolderOwner, kNogroup), 0);
  ASSERT_EQ(chmod(groupSticky.c_str(), 01770), 0);
  ASSERT_EQ(chmod(f.dir.c_str(), 0755), 0);
  put(victim, "precious");
  auto plant = [&](const fs::path& to, const fs::path& link, uid_t owner) {
    fs::create_symlink(to, link);
    ASSERT_EQ(lchown(link.c_str(), owner, owner), 0);
  };
  plant(victim, shared / "evil.png", kNobody);
  plant(kept, shared / "evil-folder", kNobody);
  plant(kept / "mine.png", shared / "mine.png", 0);
  // Each allowed by one of the rule's two clauses alone.
  plant(theirKept / "own.png", shared / "own.png", kNobody);
  plant(kept / "owners.png", theirShared / "owners.png", kNobody);
  ASSERT_EQ(mkfifo((shared / "fifo.png").c_str(), 0666), 0);
  ASSERT_EQ(chown((shared / "fifo.png").c_str(), kNobody, kNogroup), 0);
  put(sticky / "held.png", "nobody's");
  ASSERT_EQ(chown((sticky / "held.png").c_str(), kNobody, kNogroup), 0);
  ASSERT_EQ(chmod((sticky / "held.png").c_str(), 04750), 0);
  // Files of other users in the shared folders, and of a third user in the
  // group's sticky folder, writable by all: only the folders' rules stand
  // in the way.
  auto planted = [&](const fs::path& path, uid_t owner) {
    put(path, "theirs");
    ASSERT_EQ(chown(path.c_str(), owner, owner), 0);
    ASSERT_EQ(chmod(path.c_str(), 0666), 0);
  };
  planted(shared / "nobodys.png", kNobody);
  planted(shared / "users-own.jsonl", kNobody);
  planted(theirShared / "owners-file.png", kNobody);
  for (const char* name : {"root.png", "without-fowner.png", "user.png", "user-with-fowner.png"})
    planted(groupSticky / name, kFileOwner);
  // Writable by all: only the folder's rule stands in the way.
  put(shared / "theirs.png", "theirs");
  ASSERT_EQ(chmod((shared / "theirs.png").c_str(), 0666), 0);
  put(kept / "nobodys.png", "nobody's");
  ASSERT_EQ(chown((kept / "nobodys.png").c_str(), kNobody, kNogroup), 0);
  ASSERT_EQ(chmod((kept / "nobodys.png").c_str(), 0640), 0);
  std::string s = shared.string(), g = groupSticky.string();
  struct Case {
    const char* name;
    std::string option, path;
    bool asNobody;
    int ending;
    std::string says;
    std::vector<std::string> through = {};  // a command that starts the run
  };
  bool setpriv = access("/usr/bin/setpriv", X_OK) == 0;
  const Case cases[] = {
      {"a planted link to a file", "--png", s + "/evil.png", false, 2,
       "--png: cannot write " + s + "/evil.png: the link " + s + "/evil.png belongs to nobody, who owns neither "
       "the shared folder " + s + " nor this run, so it is not followed"},
      {"a planted link to a folder", "--trace", s + "/evil-folder/t.jsonl", false, 2,
       "--trace: cannot write " + s + "/evil-folder/t.jsonl: the link " + s + "/evil-folder belongs to nobody"},
      {"the folder owner's link", "--png", s + "/mine.png", false, 0, ""},
      {"another user's file", "--png", s + "/theirs.png", true, 2,
       "--png: cannot write " + s + "/theirs.png: it belongs to root, and in the shared folder " + s +
           " only its owner may replace it"},
      {"root replaces a user's file", "--png", kept.string() + "/nobodys.png", false, 0, ""},
      {"the user's own link, in root's shared folder", "--png", s + "/own.png", true, 0, ""},
      {"the folder owner's link, in another user's shared folder", "--png", theirShared.string() + "/owners.png",
       false, 0, ""},
      {"a planted FIFO", "--png", s + "/fifo.png", false, 2,
       "--png: cannot write " + s + "/fifo.png: the FIFO " + s + "/fifo.png belongs to nobody, who owns neither "
       "the shared folder " + s + " nor this run, so it is not written"},
      {"root without the owner override replaces a user's file in its own sticky folder", "--png",
       sticky.string() + "/held.png", false, 0, "",
       {"/usr/bin/setpriv", "--bounding-set=-fowner", "--inh-caps=-fowner"}},
      // Another user's file in a folder shared by all is theirs, root's
      // run or not.
      {"another user's file, as root", "--png", s + "/nobodys.png", false, 2,
       "--png: cannot write " + s + "/nobodys.png: the file " + s + "/nobodys.png belongs to nobody, who owns "
       "neither the shared folder " + s + " nor this run, so it is not replaced"},
      {"the user's own file", "--trace", s + "/users-own.jsonl", true, 0, ""},
      {"the folder owner's file, as root", "--png", theirShared.string() + "/owners-file.png", false, 0, ""},
      // A sticky folder that is not writable by all: the owner override.
      {"a sticky folder that is not world-writable, as root", "--png", g + "/root.png", false, 0, ""},
      {"CAP_FOWNER, not uid 0, decides the owner override", "--png", g + "/without-fowner.png", false, 2,
       "--png: cannot write " + g + "/without-fowner.png: it belongs to " + rt::userName(kFileOwner) +
           ", and in the shared folder " + g + " only its owner may replace it",
       {"/usr/bin/setpriv", "--bounding-set=-fowner", "--inh-caps=-fowner"}},
      {"EPERM for a user who is not root", "--png", g + "/user.png", true, 2,
       "--png: cannot write " + g + "/user.png: it belongs to " + rt::userName(kFileOwner) +
           ", and in the shared folder " + g + " only its owner may replace it"},
      {"a user who may override owners", "--png", g + "/user-with-fowner.png", false, 0, "",
       {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "--inh-caps=+fowner",
        "--ambient-caps=+fowner"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (!c.through.empty() && !setpriv) {
      std::printf("[ skipped  ] %s: no setpriv here\n", c.name);
      continue;
    }
    fs::path err = f.dir / "err";
    std::vector<std::string> args = c.through;
    args.push_back(c.through.empty() ? "kelvaro" : std::string(LESSON_BIN_DIR) + "/kelvaro");
    args.insert(args.end(), {"--headless", "--keys", "1", c.option, c.path});
    Spawn s(args, {kNoLeaks}, err);
    s.asNobody = c.asNobody;
    Outcome o = run(s);
    EXPECT_EQ(o.ending, c.ending);
    if (c.says.empty()) {
      EXPECT_EQ(o.says, std::vector<std::string>{});
    } else {
      ASSERT_EQ(o.says.size(), 1u);
      EXPECT_EQ(o.says[0].rfind(c.says, 0), 0u) << o.says[0];
    }
    fs::remove(err);
  }
  EXPECT_EQ(slurp(victim), "precious");
  EXPECT_EQ(slurp(shared / "theirs.png"), "theirs");
  EXPECT_EQ(slurp(shared / "nobodys.png"), "theirs");
  EXPECT_EQ(slurp(groupSticky / "without-fowner.png"), "theirs");
  EXPECT_EQ(slurp(groupSticky / "user.png"), "theirs");
  expectWholeTrace(shared / "users-own.jsonl");
  expectWholePng(theirShared / "owners-file.png");
  expectWholePng(groupSticky / "root.png");
  EXPECT_FALSE(fs::exists(kept / "t.jsonl"));
  expectWholePng(kept / "mine.png");
  struct stat st;
  ASSERT_EQ(stat((kept / "nobodys.png").c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, kNobody);
  EXPECT_EQ(st.st_gid, kNogroup);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  expectWholePng(kept / "nobodys.png");
  expectWholePng(theirKept / "own.png");
  expectWholePng(kept / "owners.png");
  EXPECT_TRUE(fs::is_fifo(shared / "fifo.png"));
  if (setpriv) {
    ASSERT_EQ(stat((sticky / "held.png").c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, kNobody);
    EXPECT_EQ(st.st_mode & 07777, 0750u) << "no set-user-ID bit carried over";
    expectWholePng(sticky / "held.png");
    expectWholePng(groupSticky / "user-with-fowner.png");
  }
  EXPECT_EQ(std::set<std::string>(f.entries()),
            (std::set<std::string>{"shared", "shared/evil.png", "shared/evil-folder", "shared/mine.png",
                                   "shared/theirs.png", "shared/own.png", "shared/fifo.png", "shared/nobodys.png",
                                   "shared/users-own.jsonl", "kept", "kept/victim", "kept/mine.png", "kept/nobodys.png",
                                   "kept/owners.png", "their-shared", "their-shared/owners.png",
                                   "their-shared/owners-file.png", "their-kept", "their-kept/own.png", "sticky",
                                   "sticky/held.png", "group-sticky", "group-sticky/root.png",
                                   "group-sticky/without-fowner.png", "group-sticky/user.png",
                                   "group-sticky/user-with-fowner.png"}));
}

// A file the run replaces lets no one read or write it who could not
// before: what the old file allowed is carried over where the run may set
// it, and narrowed where it may not, never widened.
TEST(Endings, AReplacedFileLetsInNoOneWhoWasNotInBefore) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root, to make files of other users and groups";
  using namespace access_lists;
  constexpr gid_t kTheirs = 1234;  // a group nobody is in only where a case says so
  const std::string openDefault = accessList(
      {{kOwner, 7}, {kUser, 6, kNobody}, {kGroup, 7}, {kNamedGroup, 6, kTheirs}, {kMask, 7}, {kOther, 0}});
  const std::string nobodyToo = accessList({{kOwner, 6}, {kUser, 6, kNobody}, {kGroup, 4}, {kMask, 6}, {kOther, 0}});
  struct Case {
    const char* name;
    uid_t owner = 0;  // the old file's
    gid_t group = 0;
    mode_t mode;
    std::string list = "";  // its access list
    bool asNobody = false;
    std::vector<gid_t> groups = {};
    uid_t folderOwner = 0;  // the folder it is in
    gid_t folderGroup = 0;
    mode_t folderMode = 0755;
    std::string folderDefault = "";  // the folder's default access list
    std::string fault = "";          // what the attribute calls of the run meet
    // What the new file has.
    uid_t wantOwner = 0;
    gid_t wantGroup = 0;
    mode_t wantMode;
    std::string wantList = "";
  };
  const Case cases[] = {
      {.name = "nobody's own file, of a group it is in", .owner = kNobody, .group = kTheirs, .mode = 0640,
       .asNobody = true, .groups = {kTheirs}, .folderOwner = kNobody, .wantOwner = kNobody, .wantGroup = kTheirs,
       .wantMode = 0640},
      {.name = "nobody's own file, of a group it is not in", .owner = kNobody, .group = kTheirs, .mode = 0640,
       .asNobody = true, .folderOwner = kNobody, .wantOwner = kNobody, .wantGroup = kNogroup, .wantMode = 0600},
      {.name = "nobody's own file that the others may read more of than its group",
       .owner = kNobody, .group = kTheirs, .mode = 0674, .asNobody = true, .folderOwner = kNobody,
       .wantOwner = kNobody, .wantGroup = kNogroup, .wantMode = 0644},
      {.name = "nobody's own file that shuts its group out", .owner = kNobody, .group = kTheirs, .mode = 0604,
       .asNobody = true, .folderOwner = kNobody, .wantOwner = kNobody, .wantGroup = kNogroup, .wantMode = 0600},
      {.name = "another user's file, by a member of its group, in a folder the group may write",
       .group = kTheirs, .mode = 0660, .asNobody = true, .groups = {kTheirs}, .folderGroup = kTheirs,
       .folderMode = 0770, .wantOwner = kNobody, .wantGroup = kTheirs, .wantMode = 0660},
      {.name = "another user's file that all may write, of a group nobody is not in, in a folder all may write",
       .group = kTheirs, .mode = 0662, .asNobody = true, .folderMode = 0777, .wantOwner = kNobody,
       .wantGroup = kNogroup, .wantMode = 0622},
      {.name = "root replaces a file of another user and group", .owner = kNobody, .group = kTheirs, .mode = 0640,
       .wantOwner = kNobody, .wantGroup = kTheirs, .wantMode = 0640},
      // Its group may read and run it, the others read and write it: each
      // keeps only what the other had too.
      {.name = "nobody's own file with an access list, of a group it is not in", .owner = kNobody,
       .group = kTheirs, .mode = 0676,
       .list = accessList({{kOwner, 6}, {kUser, 4, 0}, {kGroup, 5}, {kMask, 7}, {kOther, 6}}), .asNobody = true,
       .folderOwner = kNobody, .wantOwner = kNobody, .wantGroup = kNogroup, .wantMode = 0674,
       .wantList = accessList({{kOwner, 6}, {kUser, 4, 0}, {kGroup, 4}, {kMask, 7}, {kOther, 4}})},
      // The new file's group is the one the old list shut out: its entry
      // gives that group nothing, whatever the others may do.
      {.name = "nobody's own file with an access list that shuts out nobody's group, of a group it is not in",
       .owner = kNobody, .group = kTheirs, .mode = 0644,
       .list = accessList({{kOwner, 6}, {kGroup, 4}, {kNamedGroup, 0, kNogroup}, {kMask, 4}, {kOther, 4}}),
       .asNobody = true, .folderOwner = kNobody, .wantOwner = kNobody, .wantGroup = kNogroup, .wantMode = 0644,
       .wantList = accessList({{kOwner, 6}, {kGroup, 0}, {kNamedGroup, 0, kNogroup}, {kMask, 4}, {kOther, 4}})},
      {.name = "a folder's default access list does not open up a replaced 0600 file", .mode = 0600,
       .folderDefault = openDefault, .wantMode = 0600},
      {.name = "an access list that is refused", .mode = 0660, .list = nobodyToo, .fault = "list-refused",
       .wantMode = 0640},
      {.name = "an access list that is refused, in a folder with a default one", .mode = 0660, .list = nobodyToo,
       .folderDefault = openDefault, .fault = "list-refused", .wantMode = 0640},
      {.name = "an access list that shuts out a user whom the mode lets in, refused", .mode = 0644,
       .list = accessList({{kOwner, 6}, {kUser, 0, kNobody}, {kGroup, 4}, {kMask, 4}, {kOther, 4}}),
       .fault = "list-refused", .wantMode = 0600},
      {.name = "an access list that shuts out a group that the mode lets in, refused", .mode = 0644,
       .list = accessList({{kOwner, 6}, {kGroup, 4}, {kNamedGroup, 0, kTheirs}, {kMask, 4}, {kOther, 4}}),
       .fault = "list-refused", .wantMode = 0640},
      {.name = "an access list that cannot be read", .mode = 0664,
       .list = accessList({{kOwner, 6}, {kUser, 6, kNobody}, {kGroup, 0}, {kMask, 6}, {kOther, 4}}),
       .fault = "unreadable", .wantMode = 0600},
  };
  Folder f("replaced");
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::path dir = f.dir / std::to_string(++n), file = dir / "p.png", err = f.dir / "err";
    fs::create_directories(dir);
    ASSERT_EQ(chown(dir.c_str(), c.folderOwner, c.folderGroup), 0);
    ASSERT_EQ(chmod(dir.c_str(), c.folderMode), 0);
    put(file, "before");
    ASSERT_EQ(chown(file.c_str(), c.owner, c.group), 0);
    ASSERT_EQ(chmod(file.c_str(), c.mode), 0);
    // The folder's default list after the old file is made, which it
    // would otherwise give that file.
    for (const auto& [at, key, list] : {std::tuple<fs::path, const char*, std::string>{file, kAccess, c.list},
                                        {dir, kDefault, c.folderDefault}}) {
      if (list.empty()) continue;
      if (setxattr(at.c_str(), key, list.data(), list.size(), 0) != 0 && errno == ENOTSUP)
        GTEST_SKIP() << "the file system keeps no access lists";
      ASSERT_EQ(attribute(at, key), list) << key;
    }
    ASSERT_EQ(fs::status(file).permissions(), fs::perms(c.mode)) << "the list stands in the mode";
    std::vector<std::string> env = {kNoLeaks + ":verify_asan_link_order=0"};
    if (!c.fault.empty()) env.insert(env.end(), {"LD_PRELOAD=" + std::string(ATTRIBUTE_FAULTS),
                                                 "LESSON_ATTRIBUTE_FAULT=" + c.fault});
    Spawn s({"kelvaro", "--headless", "--keys", "1", "--png", file.string()}, env, err);
    s.asNobody = c.asNobody;
    s.groups = c.groups;
    Outcome o = run(s);
    EXPECT_EQ(o.ending, 0);
    EXPECT_EQ(o.says, std::vector<std::string>{});
    expectWholePng(file);
    struct stat st;
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, c.wantOwner);
    EXPECT_EQ(st.st_gid, c.wantGroup);
    EXPECT_EQ(st.st_mode & 07777, c.wantMode) << std::oct << (st.st_mode & 07777);
    EXPECT_EQ(attribute(file, kAccess), c.wantList);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1) << "a file is left beside it";
    fs::remove(err);
  }
}

// Until a replacement has what the old file allowed, it lets no one in but
// the program: also under a temporary name, which others can open, in a
// folder whose default access list would let them in.
TEST(Endings, AReplacementLetsNoOneInBeforeItHasTheOldFilesAccess) {
  using namespace access_lists;
  Folder f("replacing");
  fs::path png = f.dir / "p.png", err = f.dir.parent_path() / ("replacing_err_" + std::to_string(getpid()));
  put(png, "before");
  ASSERT_EQ(chmod(png.c_str(), 0600), 0);
  std::string open = accessList({{kOwner, 7}, {kUser, 6, kNobody}, {kGroup, 7}, {kMask, 7}, {kOther, 7}});
  if (setxattr(f.dir.c_str(), kDefault, open.data(), open.size(), 0) != 0)
    std::printf("[ skipped  ] a folder's default access list: %s\n", std::strerror(errno));
  // Stopped as the temporary file is made, before it takes anything over.
  pid_t pid = start({{"kelvaro", "--headless", "--keys", "1", "--png", png.string()},
                     {kNoLeaks + ":verify_asan_link_order=0",
                      "LD_PRELOAD=" + std::string(SIGNAL_AT) + ":" + NO_UNNAMED_FILES, "LESSON_SIGNAL_AT=temporary",
                      "LESSON_SIGNAL=" + std::to_string(SIGSTOP)},
                     err});
  auto stopped = [&] {
    siginfo_t info{};
    return waitid(P_PID, static_cast<id_t>(pid), &info, WSTOPPED | WNOHANG | WNOWAIT) == 0 && info.si_pid == pid;
  };
  bool held = until(stopped, pid);
  EXPECT_TRUE(held) << "the run did not stop at its temporary file";
  int temporaries = 0;
  for (const auto& e : fs::directory_iterator(f.dir)) {
    if (e.path().filename().string().rfind(".out-", 0) != 0) continue;
    ++temporaries;
    struct stat st;
    ASSERT_EQ(stat(e.path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 077, 0u) << std::oct << (st.st_mode & 07777) << " " << e.path();
  }
  EXPECT_EQ(temporaries, held ? 1 : 0);
  kill(pid, SIGCONT);
  EXPECT_EQ(ending(pid), 0);
  EXPECT_EQ(linesOf(slurp(err)), std::vector<std::string>{});
  fs::remove(err);
  expectWholePng(png);
  EXPECT_EQ(fs::status(png).permissions(), fs::perms(0600));
  EXPECT_EQ(attribute(png, kAccess), "");
  EXPECT_EQ(f.entries(), std::set<std::string>{"p.png"});
}

// While a run waits for a reader to open the FIFO given as its trace, other
// users may change its folders: names planted ahead for its temporary
// files do not stop it, as no one can tell the names it will take, and a
// FIFO swapped for a file is not written.
TEST(Endings, WhatOthersDoWhileARunWaitsForAReaderDoesNotMisleadIt) {
  // A run whose --trace is the FIFO `fifo`, made here.
  auto startOn = [](const fs::path& fifo, std::vector<std::string> args, const fs::path& err, bool procHidden = false) {
    if (mkfifo(fifo.c_str(), 0600) != 0) return pid_t{-1};
    args.insert(args.begin(), {"kelvaro", "--headless", "--keys", "1 Enter", "--trace", fifo.string()});
    return start({procHidden ? withoutProc(args) : args, {kNoLeaks}, err});
  };
  const std::string waits = "--trace: waiting for a reader to open the FIFO ";
  auto said = [&](const fs::path& err) { return slurp(err).rfind(waits, 0) == 0; };
  {
    SCOPED_TRACE("another user's files under the names of the run's temporaries");
    Folder f("planted");
    fs::path shared = f.dir / "shared", png = shared / "p.png", fifo = f.dir / "t.fifo", err = f.dir / "err";
    fs::create_directories(shared);
    ASSERT_EQ(chmod(shared.c_str(), 01777), 0);
    put(png, "before");
    pid_t pid = startOn(fifo, {"--png", png.string()}, err);
    ASSERT_GT(pid, 0);
    ASSERT_TRUE(until([&] { return said(err); }, pid)) << "the wait was not said";
    std::set<std::string> planted;
    for (int n = 1; n <= 100; ++n) {
      std::string name = ".out-" + std::to_string(pid) + "-" + std::to_string(n) + ".part";
      put(shared / name, "planted");
      if (geteuid() == 0) {
        EXPECT_EQ(chown((shared / name).c_str(), kNobody, kNogroup), 0);
      }
      planted.insert("shared/" + name);
    }
    std::string trace = slurp(fifo);
    EXPECT_EQ(ending(pid), 0);
    EXPECT_EQ(linesOf(slurp(err)), std::vector<std::string>{waits + fifo.string()});
    EXPECT_TRUE(!trace.empty() && trace.back() == '\n') << "the trace was not written whole";
    expectWholePng(png);
    for (const std::string& name : planted) EXPECT_EQ(slurp(f.dir / name), "planted") << name;
    std::set<std::string> left = planted;
    left.insert({"shared", "shared/p.png", "t.fifo", "err"});
    EXPECT_EQ(f.entries(), left);
  }
  // Where there is no /proc, the FIFO is opened by its name.
  for (bool procHidden : {false, true}) {
    SCOPED_TRACE(procHidden ? "the FIFO swapped for a file, with no /proc" : "the FIFO swapped for a file");
    if (const char* why = procHidden ? whyProcStays() : nullptr) {
      std::printf("[ skipped  ] the FIFO swapped for a file, with no /proc: %s\n", why);
      continue;
    }
    Folder f("swapped");
    fs::path fifo = f.dir / "t.fifo", err = f.dir / "err";
    pid_t pid = startOn(fifo, {}, err, procHidden);
    ASSERT_GT(pid, 0);
    ASSERT_TRUE(until([&] { return said(err); }, pid)) << "the wait was not said";
    const std::string theirs(1000000, 'Z');
    fs::remove(fifo);
    put(fifo, theirs);
    EXPECT_EQ(ending(pid), 2);
    EXPECT_EQ(linesOf(slurp(err)),
              (std::vector<std::string>{waits + fifo.string(),
                                        "--trace: cannot write " + fifo.string() +
                                            ": it was replaced while the run waited for a reader to open it (see --help)"}));
    EXPECT_TRUE(slurp(fifo) == theirs) << "the file was written";
    EXPECT_EQ(f.entries(), (std::set<std::string>{"t.fifo", "err"}));
  }
}

// Without /proc, on a kernel that links a file by its descriptor only with
// a privilege the run lacks (a preloaded library makes it so), the outputs
// are still written whole, a new one and one replaced, and nothing is left
// beside them.
TEST(Endings, OutputsAreNamedWithoutProc) {
  if (LESSON_SANITIZED) GTEST_SKIP() << "the sanitizers need /proc";
  if (std::system("unshare -rm true >/dev/null 2>&1") != 0) GTEST_SKIP() << "no user namespaces here";
  Folder f("no_proc");
  std::string d = f.dir.string();
  put(f.dir / "t.jsonl", "before");
  std::string script = "mount -t tmpfs none /proc && exec " + std::string(LESSON_BIN_DIR) +
                       "/kelvaro --headless --keys '1 Enter' --png " + d + "/p.png --trace " + d + "/t.jsonl";
  fs::path err = f.dir.parent_path() / ("no_proc_err_" + std::to_string(getpid()));
  Outcome o = run({{"/usr/bin/unshare", "-rm", "/bin/sh", "-c", script},
                   {kNoLeaks + ":verify_asan_link_order=0", "LD_PRELOAD=" + std::string(NO_DESCRIPTOR_LINKS)},
                   err});
  fs::remove(err);
  EXPECT_EQ(o.ending, 0);
  EXPECT_EQ(o.says, std::vector<std::string>{});
  expectWholePng(f.dir / "p.png");
  expectWholeTrace(f.dir / "t.jsonl");
  EXPECT_EQ(f.entries(), (std::set<std::string>{"p.png", "t.jsonl"}));
}

// An output's data is on the disk before the output has its name, so that
// a power cut cannot leave a named file that is not whole: a new file and
// one replaced, unnamed until then or under a temporary name, and the
// shots. A name that another program takes between the run's check and its
// naming (a preloaded library takes it then) is replaced like any other.
TEST(Endings, AnOutputIsOnTheDiskBeforeItHasItsName) {
  struct Case {
    const char* name;
    bool replaces;           // --png and --trace are there before the run
    bool unnamedRefused;     // the file system makes no unnamed files
    std::string taken = "";  // the name another file takes just before the run names its output
  };
  const Case cases[] = {
      {"new files", false, false},
      {"files replaced", true, false},
      {"new files under temporary names", false, true},
      {"files replaced under temporary names", true, true},
      {"a name taken after the check", false, false, "p.png"},
      {"a name taken after the check, under temporary names", false, true, "p.png"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Folder f("on_disk");
    fs::path png = f.dir / "p.png", trace = f.dir / "t.jsonl";
    fs::path log = f.dir.parent_path() / ("on_disk_log_" + std::to_string(getpid())),
             err = f.dir.parent_path() / ("on_disk_err_" + std::to_string(getpid()));
    if (c.replaces) {
      put(png, "before");
      put(trace, "before");
    }
    std::string preload = NAMING;
    if (c.unnamedRefused) preload += std::string(":") + NO_UNNAMED_FILES;
    std::vector<std::string> env = {kNoLeaks + ":verify_asan_link_order=0", "LD_PRELOAD=" + preload,
                                    "LESSON_NAMING_LOG=" + log.string()};
    if (!c.taken.empty()) env.push_back("LESSON_NAME_TAKEN=" + c.taken);
    Outcome o = run({{"kelvaro", "--headless", "--keys", "1 Enter", "--png", png.string(), "--trace", trace.string(),
                      "--shots", (f.dir / "shots").string()},
                     env, err});
    EXPECT_EQ(o.ending, 0);
    EXPECT_EQ(o.says, std::vector<std::string>{});
    expectWholePng(png);
    expectWholeTrace(trace);
    EXPECT_EQ(f.entries(), (std::set<std::string>{"p.png", "t.jsonl", "shots", "shots/shot-0001.png",
                                                  "shots/shot-0002.png"}));
    std::set<std::string> synced, named, taken;
    for (const std::string& line : linesOf(slurp(log))) {
      std::istringstream in(line);
      std::string what, name, id;
      in >> what;
      if (what == "sync") {
        in >> id;
        synced.insert(id);
        continue;
      }
      in >> name >> id;
      if (what == "taken") {
        taken.insert(name);
        continue;
      }
      EXPECT_TRUE(synced.count(id)) << name << " was named before its data was on the disk";
      if (name.rfind(".out-", 0) != 0) named.insert(name);
    }
    EXPECT_EQ(named, (std::set<std::string>{"p.png", "t.jsonl", "shot-0001.png", "shot-0002.png"}));
    EXPECT_EQ(taken, c.taken.empty() ? std::set<std::string>{} : std::set<std::string>{c.taken});
    fs::remove(log);
    fs::remove(err);
  }
}

}  // namespace

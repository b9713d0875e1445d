"""Release limits (java.min-release and java.max-release, keys 30400 and 30401) beside the text
limits (keys 126 and 127): on probed versions, on versions from the JVM version cache and on the
version names of the Java vendor's registry keys.

Java homes and worker starts as in test_jvm_search: the java.exe stand-in prints the version line
that java.cfg beside it names, and the minimal jvm.dll refuses to create a JVM, so a worker whose
search succeeds logs "Loading of JVM-DLL successful" and still ends with exit code 1.
"""
import os

import harness
from test_jvm_search import (JAVASOFT, JRE_KEY, LOADED, LOCATED_MACHINE, LOCATED_USER, MESSAGES, JvmCase,
                             reg_add)

MIN_RELEASE = 30400
MAX_RELEASE = 30401
NO_JVM = MESSAGES[1016].replace("{0}", "64")


class ReleaseLimitTest(JvmCase):

    def search(self, home, strings):
        """A worker whose only candidate is the home, named by an E entry (which has no fallback
        pass that would take a refused runtime all the same)."""
        block = {128: "EMY_JAVA"}
        block.update(strings)
        return self.start(block, env={"MY_JAVA": harness.winpath(home)})

    def test_java_9_refused_by_min_release_and_admitted_by_the_text_limit_11(self):
        home = self.java_home("jre9", version="9.0.4")
        exe = os.path.join(home, "bin", "java.exe")

        result, log = self.search(home, {MIN_RELEASE: "11"})
        self.assertInOrder(log, "got version from execution 9.0.4\n", "release of 9.0.4 outside 11 to 0\n",
                           "checkJavaExe returning 0\n", "ERROR: No JVM found\n")
        self.assertNotIn(LOADED, log)
        self.assertEqual((result.code, self.messages(result)), (1, [NO_JVM]))

        # The text limit "11" alone admits it: "9" sorts after "1" (here from the cache).
        result, log = self.search(home, {126: "11"})
        self.assertInOrder(log, "got version from registry 9.0.4\n", "checkJavaExe returning 1\n")
        self.assertNotIn("release of", log)
        self.assertLoadedFrom(log, exe)

        # Both limits: the release limit still refuses the cached version.
        result, log = self.search(home, {126: "11", MIN_RELEASE: "11"})
        self.assertInOrder(log, "got version from registry 9.0.4\n", "release of 9.0.4 outside 11 to 0\n",
                           "checkJavaExe returning 0\n")
        self.assertEqual(self.messages(result), [NO_JVM])
        self.assertEqual(len(self.runs(home)), 1, "only the first check probes")

    def test_old_and_new_version_texts_against_both_release_limits(self):
        cases = [
            ("1.8.0_392", {MIN_RELEASE: "8", MAX_RELEASE: "8"}, True),
            ("11.0.22", {MIN_RELEASE: "11", MAX_RELEASE: "17"}, True),
            ("17.0.2", {MAX_RELEASE: "11"}, False),
            ("1.8.0_392", {126: "1.8", MIN_RELEASE: "9"}, False),  # the text passes, the release not
        ]
        for number, (version, strings, accepted) in enumerate(cases):
            with self.subTest(version=version, limits=strings):
                home = self.java_home("jre%d" % number, version=version)
                result, log = self.search(home, strings)
                self.assertIn("got version from execution %s\n" % version, log)
                if accepted:
                    self.assertLoadedFrom(log, os.path.join(home, "bin", "java.exe"))
                else:
                    self.assertIn("release of %s outside %s to %s\n"
                                  % (version, strings.get(MIN_RELEASE, "0"), strings.get(MAX_RELEASE, "0")), log)
                    self.assertEqual(self.messages(result), [NO_JVM])


class ReleaseRegistryTest(JvmCase):

    def setUp(self):
        super().setUp()
        for key in (JAVASOFT, LOCATED_USER, LOCATED_MACHINE):
            harness.reg_delete(key)
            self.addCleanup(harness.reg_delete, key)

    def test_registry_version_names_meet_the_release_limits_before_any_check(self):
        for version in ("1.8", "9.0.4", "11.0.22", "17", "garbage"):
            reg_add(JRE_KEY + "\\" + version, "JavaHome", harness.winpath(self.path("missing" + version)))
        tried = lambda log: [l for l in log.splitlines() if l.startswith("checkJavaExe (")]
        check = "checkJavaExe (%s\\bin\\java.exe, [out], , , 0)"

        result, log = self.start({128: "Y", MIN_RELEASE: "11", MAX_RELEASE: "16"})
        self.assertEqual(tried(log), [check % harness.winpath(self.path("missing11.0.22"))])

        # Without release limits every name is tried, the greatest text first.
        result, log = self.start({128: "Y"})
        self.assertEqual(tried(log), [check % harness.winpath(self.path("missing" + v))
                                      for v in ("garbage", "9.0.4", "17", "11.0.22", "1.8")])


if __name__ == "__main__":
    harness.main()

"""Preparation of a packed Java runtime: lib\\rt.jar.pack present and lib\\jsse.jar absent makes the
worker restore the jars with the runtime's own bin\\unpack200.exe (the stand-in of
tests/fixtures/unpack200 writes the jar and records its command line) before the runtime is
checked.
"""
import os
import shutil

import harness
import test_jvm_search as common

JARS = ("rt.jar", "jfxrt.jar", "charsets.jar", "plugin.jar", "deploy.jar", os.path.join("ext", "localedata.jar"),
        "jsse.jar")


class PackedRuntimeTest(common.JvmCase):

    def packed_home(self, packs=("rt.jar", "jsse.jar"), unpacker=True):
        home = self.java_home("jre")
        os.makedirs(os.path.join(home, "lib", "ext"), exist_ok=True)
        for jar in packs:
            with open(os.path.join(home, "lib", jar + ".pack"), "w") as f:
                f.write("packed\n")
        if unpacker:
            shutil.copy(os.path.join(harness.FIXTURES, "unpack200", "unpack200.exe"), os.path.join(home, "bin"))
        return home

    def unpacker_calls(self, home):
        path = os.path.join(home, "bin", "unpack200.log")
        if not os.path.exists(path):
            return []
        with open(path) as f:
            return [line.rstrip("\n") for line in f]

    def test_packed_runtime_is_unpacked_once(self):
        home = self.packed_home()
        lib = common.win(os.path.join(home, "lib"))
        result, log = self.start({128: "R.\\jre"})
        self.assertEqual(result.out.count("Preparing JRE ..."), 1)
        self.assertEqual(self.unpacker_calls(home), [
            '-r "%s\\rt.jar.pack" "%s\\rt.jar"' % (lib, lib),
            '-r "%s\\jsse.jar.pack" "%s\\jsse.jar"' % (lib, lib),
        ])
        for jar in ("rt.jar", "jsse.jar"):
            self.assertTrue(os.path.exists(os.path.join(home, "lib", jar)), jar)
            self.assertFalse(os.path.exists(os.path.join(home, "lib", jar + ".pack")), jar)
        self.assertEqual(log.count("pack path doesn't exists\n"), 5)
        self.assertInOrder(log, "Unpacking JRE\n", "%s\\bin\\unpack200.exe\n" % common.win(home),
                           '-r "%s\\rt.jar.pack" "%s\\rt.jar"\n' % (lib, lib), "waiting for unpack200 to finish\n",
                           "unpack done\n", "Unpacking JRE done\n", "checkJavaExe (")
        self.assertNotIn("could not delete packed file", log)
        self.assertIn(common.LOADED, log)

        result, log = self.start({128: "R.\\jre"})
        self.assertNotIn("Preparing JRE", result.out)
        self.assertNotIn("Unpacking JRE", log)
        self.assertEqual(len(self.unpacker_calls(home)), 2)

    def test_launcher_deletes_pack_files_that_the_unpacker_leaves(self):
        home = self.packed_home(packs=JARS)
        result, log = self.start({128: "R.\\jre"}, env={"UNPACK200_KEEP_PACK": "1"})
        self.assertEqual(len(self.unpacker_calls(home)), 7)
        for jar in JARS:
            self.assertTrue(os.path.exists(os.path.join(home, "lib", jar)), jar)
            self.assertFalse(os.path.exists(os.path.join(home, "lib", jar + ".pack")), jar)
        self.assertNotIn("pack path doesn't exists", log)
        self.assertNotIn("could not delete packed file", log)

    def test_runtime_with_jsse_jar_is_left_alone(self):
        home = self.packed_home(packs=("rt.jar",))
        open(os.path.join(home, "lib", "jsse.jar"), "w").close()
        result, log = self.start({128: "R.\\jre"})
        self.assertNotIn("Preparing JRE", result.out)
        self.assertNotIn("Unpacking JRE", log)
        self.assertTrue(os.path.exists(os.path.join(home, "lib", "rt.jar.pack")))
        self.assertEqual(self.unpacker_calls(home), [])

    def test_rejected_runtime_is_still_prepared_and_fallback_entries_too(self):
        home = self.packed_home()
        result, log = self.start({128: "R.\\jre", 126: "9"})
        self.assertEqual(result.out.count("Preparing JRE ..."), 1)
        self.assertInOrder(log, "Unpacking JRE done\n", "checkJavaExe returning 0\n", "Testing relative location",
                           common.LOADED)

    def test_missing_unpacker_is_an_internal_error_20(self):
        home = self.packed_home(unpacker=False)
        result, log = self.start({128: "R.\\jre"})
        self.assertEqual(result.code, 1)
        self.assertEqual(self.messages(result), [common.MESSAGES[1009].replace("{0}", "20")])
        self.assertIn("could not create unpack process\n", log)
        self.assertNotIn("checkJavaExe", log)
        self.assertTrue(os.path.exists(os.path.join(home, "lib", "rt.jar.pack")))


if __name__ == "__main__":
    harness.main()

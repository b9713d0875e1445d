"""LoadDLL: the JVM library beside the accepted Java executable, the VM-type directories in
order, the second attempt inside a JDK, the JVM home, and the one message that says why loading
failed.
"""
import os

import harness
import test_jvm_search as common


def trying(directory, vm_type, exists):
    return "Trying %s\\%s\\jvm.dll (exists %d)\n" % (directory, vm_type, exists)


class LoadDllTest(common.JvmCase):

    def attempts(self, log):
        return [line + "\n" for line in log.splitlines()
                if line.startswith("Trying ") and not line.startswith("Trying to load")]

    def test_vm_types_are_tried_in_order_until_one_loads(self):
        home = self.java_home("jre")
        bin_dir = common.win(os.path.join(home, "bin"))
        result, log = self.start({128: "R.\\jre"})
        attempts = self.attempts(log)
        self.assertEqual(attempts, [trying(bin_dir, "hotspot", 0), trying(bin_dir, "client", 0),
                                    trying(bin_dir, "server", 1)])
        self.assertInOrder(log, "Setting PATH ", ";%s\n" % bin_dir, common.LOADED)
        self.assertEqual(result.code, 1)

    def test_configured_vm_type_comes_first(self):
        home = self.java_home("jre")
        bin_dir = common.win(os.path.join(home, "bin"))
        result, log = self.start({128: "R.\\jre", 152: "server"})
        attempts = self.attempts(log)
        self.assertEqual(attempts, [trying(bin_dir, "server", 1)])

        # Key 152 is read with room for 199 characters.
        result, log = self.start({128: "R.\\jre", 152: "v" * 250})
        attempts = self.attempts(log)
        self.assertEqual(attempts[0], trying(bin_dir, "v" * 199, 0))
        self.assertIn(common.LOADED, log)

    def test_jdk_without_a_library_in_bin_loads_from_its_jre(self):
        jdk = self.java_home("jdk", dll_dir="jre/bin/server")
        bin_dir = common.win(os.path.join(jdk, "bin"))
        second = bin_dir + "\\..\\jre\\bin"
        result, log = self.start({128: "R.\\jdk", 123: "-Dhome=${launcher:sys.jvmHome}"})
        setting = [line for line in log.splitlines() 
                   if line.startswith("Setting PATH ") and not line.startswith("Setting PATH (native")]
        self.assertEqual(len(setting), 3)
        self.assertTrue(setting[0].endswith(";" + bin_dir))
        self.assertNotIn(bin_dir, setting[1])
        self.assertTrue(setting[2].endswith(";" + second))
        self.assertInOrder(log, trying(bin_dir, "jrockit", 0), trying(second, "hotspot", 0),
                           trying(second, "client", 0), trying(second, "server", 1), common.LOADED)
        # The JVM home is taken from the executable that was found: the directory above its bin.
        self.assertIn("-Dhome=%s\\..\n" % bin_dir, log)

    def test_library_that_fails_to_load_is_logged_and_the_next_type_tried(self):
        home = self.java_home("jre")
        self.put_dll(os.path.join(home, "bin", "client"), "text")
        bin_dir = common.win(os.path.join(home, "bin"))
        result, log = self.start({128: "R.\\jre"})
        self.assertInOrder(log, trying(bin_dir, "client", 1), "Failed with error code ",
                           trying(bin_dir, "server", 1), common.LOADED)
        self.assertEqual(log.count("Failed with error code"), 1)

    def test_missing_library_shows_the_location(self):
        self.java_home("jre", dll=None)
        result, log = self.start({128: "R.\\.\\jre;"})
        self.assertInOrder(log, "ERROR: Could not get DLL-Handle.\n", "ERROR: Could not load functions\n")
        self.assertEqual(self.messages(result), [common.MESSAGES[1020].replace("{0}", ".\\.\\jre")])
        self.assertEqual(result.code, 1)

    def test_library_without_the_entry_point(self):
        self.java_home("jre", dll="noexport")
        result, log = self.start({128: "R.\\jre"})
        self.assertNotIn("Could not get DLL-Handle.", log)
        self.assertIn("ERROR: Could not load functions\n", log)
        self.assertNotIn(common.LOADED, log)
        self.assertEqual(self.messages(result), [common.MESSAGES[1020].replace("{0}", ".\\jre")])

    def test_messages_without_the_log(self):
        self.java_home("jre", dll=None)
        result, _ = self.start({128: "R.\\jre"}, log=False)
        self.assertEqual(result.err.strip(), common.MESSAGES[1020].replace("{0}", ".\\jre"))
        result, _ = self.start({128: "R.\\missing"}, log=False)
        self.assertEqual(result.err.strip(), common.MESSAGES[1016].replace("{0}", "64"))


if __name__ == "__main__":
    harness.main()

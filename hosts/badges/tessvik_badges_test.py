"""tessvik-badges as a process (exit statuses, usage), and the README's Python
recipe: quoted whole from kit/write_badges.py, two writers at once, read back
with the extension's reader. Arguments: the command, the source tree."""
import multiprocessing, os, re, subprocess, sys, tempfile, unittest

BADGES, SOURCE = sys.argv.pop(1), sys.argv.pop(1)
RECIPE = os.path.join(SOURCE, "kit", "write_badges.py")


def run(*args):
    return subprocess.run([BADGES, *args], capture_output=True, text=True)


def write_many(state_dir, writer):
    scope = {}
    exec(open(RECIPE, encoding="utf-8").read(), scope)
    for i in range(150):
        scope["write_badges"](state_dir, "badges.json", "/Sync", {"a": "synced", str(writer): str(i)})


class CommandLine(unittest.TestCase):
    def test_exit_statuses(self):
        with tempfile.TemporaryDirectory() as d:
            path = os.path.join(d, "badges.json")
            with open(path, "w") as f:
                f.write('{"root": "/Sync", "files": {"a": "fini", "b": "synced"}}')
            self.assertEqual(run("check", path).returncode, 0)  # a warning only
            self.assertEqual(run("check", "--strict", path).returncode, 1)
            helped = run("check", path, "--help")
            self.assertEqual((helped.returncode, helped.stdout[:12]), (0, "Utilisation "))
            for wrong in (["check", "--racine", "/x", path], ["explain", "--strict", "/Sync/a"],
                          ["check", "--inconnue", path]):
                refused = run(*wrong)
                self.assertEqual(refused.returncode, 2, wrong)
                self.assertIn("option inconnue", refused.stderr)
                self.assertIn("Utilisation :", refused.stderr)
            self.assertEqual(run("explain", "--dossier", d, "/Sync/b").returncode, 0)
            self.assertEqual(run("explain", "--dossier", d, "/Sync/b", "/Sync/a").returncode, 1)


class PythonRecipe(unittest.TestCase):
    def test_readme_quotes_the_recipe_whole(self):
        readme = open(os.path.join(SOURCE, "README.md"), encoding="utf-8").read()
        blocks = re.findall(r"```python\n(.*?)```", readme, re.S)
        self.assertIn(open(RECIPE, encoding="utf-8").read(), blocks)

    def test_two_writers_at_once_leave_one_whole_file_and_no_other(self):
        with tempfile.TemporaryDirectory() as d:
            writers = [multiprocessing.Process(target=write_many, args=(d, w)) for w in (1, 2)]
            for w in writers:
                w.start()
            for w in writers:
                w.join()
                self.assertEqual(w.exitcode, 0)
            self.assertEqual(sorted(os.listdir(d)), [".badges.json.lock", "badges.json"])
            checked = run("check", os.path.join(d, "badges.json"))
            self.assertEqual(checked.returncode, 0, checked.stdout)
            self.assertIn("racine « /Sync », 2 élément(s)", checked.stdout)


if __name__ == "__main__":
    unittest.main()

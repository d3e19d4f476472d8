# tessvik-badges as a process (exit statuses, usage); one set of rules for
# the writer, check and the schema, over one corpus; and the README's Python
# recipe: quoted whole from kit/write_badges.py, two writers at once, read back
# with the extension's reader. Arguments: the command, the source tree.
import json, multiprocessing, os, pathlib, re, subprocess, sys, tempfile, unittest

import jsonschema

BADGES, SOURCE = sys.argv.pop(1), sys.argv.pop(1)
RECIPE = os.path.join(SOURCE, "kit", "write_badges.py")


def run(*args, stdin=None):
    return subprocess.run([BADGES, *args], input=stdin, capture_output=True, text=True)


def write_many(state_dir, writer):
    scope = {}
    exec(open(RECIPE, encoding="utf-8").read(), scope)
    for i in range(150):
        scope["write_badges"](state_dir, "badges.json", "/Sync", {"a": "synced", str(writer): ""})


class CommandLine(unittest.TestCase):
    def test_exit_statuses(self):
        with tempfile.TemporaryDirectory() as d:
            path = os.path.join(d, "badges.json")
            pathlib.Path(path).write_text('{"root": "/Sync", "files": {"a": "fini", "b": "synced"}}')
            self.assertEqual(run("check", path).returncode, 0)  # a warning only
            self.assertEqual(run("check", "--strict", path).returncode, 1)
            helped = run("check", path, "--help")
            self.assertEqual((helped.returncode, helped.stdout[:12]), (0, "Utilisation "))
            for wrong in (["check", "--racine", "/x", path], ["explain", "--strict", "/Sync/a"],
                          ["check", "--inconnue", path]):
                refused = run(*wrong)
                self.assertEqual(refused.returncode, 2, wrong)
                self.assertIn("Utilisation :", refused.stderr)
            self.assertEqual(run("explain", "--dossier", d, "/Sync/b").returncode, 0)
            self.assertEqual(run("explain", "--dossier", d, "/Sync/b", "/Sync/a").returncode, 1)


# Each file of the corpus: what the extension refuses ("error"), what it
# reads but can never show ("warn"), or neither ("ok").
class Rules(unittest.TestCase):
    def test_writer_check_and_schema_give_one_verdict(self):
        kit = os.path.join(SOURCE, "kit")
        schema = json.load(open(os.path.join(kit, "badge-state-file.schema.json")))
        corpus = json.load(open(os.path.join(kit, "badge_file_rules_corpus.json"), encoding="utf-8"))
        recipe = {}
        exec(open(RECIPE, encoding="utf-8").read(), recipe)
        with tempfile.TemporaryDirectory() as d:
            for verdict, text in corpus:
                path = os.path.join(d, "badges.json")
                pathlib.Path(path).write_text(text, encoding="utf-8")
                checked = (run("check", path).returncode, run("check", "--strict", path).returncode)
                written = run("write", "--dossier", d, "--nom", "badges-w.json", stdin=text)
                try:
                    valid = jsonschema.Draft202012Validator(schema).is_valid(json.loads(text))
                except ValueError:
                    valid = False
                expected = {"ok": ((0, 0), 0, True), "error": ((1, 1), 1, False)}.get(
                    verdict, ((0, 1), 1, verdict == "warn-unseen-by-schema"))
                self.assertEqual((checked, written.returncode, valid), expected, text)
                if verdict in ("ok", "warn"):  # the recipe's dict holds no repeat
                    data = json.loads(text)
                    refused = bool(recipe["badge_problems"](data["root"], data["files"]))
                    self.assertEqual(refused, verdict == "warn", text)


class PythonRecipe(unittest.TestCase):
    def test_readme_quotes_the_recipe_whole(self):
        readme = open(os.path.join(SOURCE, "README.md"), encoding="utf-8").read()
        blocks = re.findall(r"```python\n(.*?)```", readme, re.S)
        self.assertIn(open(RECIPE, encoding="utf-8").read(), blocks)

    def test_two_writers_at_once_leave_one_whole_file_and_no_other(self):
        with tempfile.TemporaryDirectory() as d:
            with multiprocessing.Pool(2) as pool:  # raises what a writer raised
                pool.starmap(write_many, [(d, 1), (d, 2)])
            self.assertEqual(sorted(os.listdir(d)), [".badges.json.lock", "badges.json"])
            # Read by the extension's reader: whole, the root and two items.
            self.assertIn("racine « /Sync », 2 élément(s)", run("check", d + "/badges.json").stdout)


if __name__ == "__main__":
    unittest.main()

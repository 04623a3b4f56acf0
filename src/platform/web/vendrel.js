// The page's side of the bridge to the application. It runs before the page's own scripts and before
// X_ITE. The page is opened afresh for every world, and the application writes a new secret into this
// script each time: reports without it are dropped, and the world's scripts, which run later in the
// same page, cannot read it from this closure. So a world cannot speak for the page, nor spy on the
// next world's page.
// The application puts Qt's qwebchannel.js and the secret in place of the markers when it injects this file.
(function () {
"use strict";

if (typeof Float16Array === "undefined")
   window.Float16Array = Uint16Array; // X_ITE names it; this Chromium lacks it

// This Chromium's fetch() refuses custom schemes, while XMLHttpRequest serves them: X_ITE reads the
// world's files through fetch(), so requests for our own scheme take that road.
const nativeFetch = window.fetch;
window.fetch = function (input, init) {
   const address = typeof input === "string" ? input : (input && input.url !== undefined ? input.url : String(input));
   let url;
   try { url = new URL(address, document.baseURI); } catch (e) { return nativeFetch.apply(this, arguments); }
   if (url.protocol !== "vendrel:")
      return nativeFetch.apply(this, arguments);
   return new Promise(function (resolve, reject) {
      const request = new XMLHttpRequest();
      request.open("GET", url.href);
      request.responseType = "arraybuffer";
      request.onload = function () {
         const response = new Response(request.response, {
            status: request.status || 200,
            headers: { "Content-Type": request.getResponseHeader("Content-Type") || "application/octet-stream" },
         });
         Object.defineProperty(response, "url", { value: url.href });
         resolve(response);
      };
      request.onerror = function () { reject(new TypeError("Failed to fetch " + url.href)); };
      request.send();
   });
};

const token = "/*@TOKEN@*/";
const transport = window.qt && window.qt.webChannelTransport;
const stringify = JSON.stringify;

const QWebChannel = (function () {
   const qt = { webChannelTransport: transport };
   /*@QWEBCHANNEL_JS@*/
   return QWebChannel;
})();

// X_ITE tells why a load failed on the console only; the last thing it said goes with the report.
let lastConsoleError = "";
const consoleError = console.error;
console.error = function () {
   try { lastConsoleError = Array.prototype.map.call(arguments, String).join(" "); } catch (e) { }
   return consoleError.apply(console, arguments);
};

let bridge = null;
let current = 0; // serial of the load the application asked for last
let browser = null;

function post(message) {
   if (bridge)
      bridge.post(stringify(Object.assign({ token: token }, message)));
}

// One compact description of every node reachable from the root nodes: node types share one list of
// field definitions (Script nodes and prototype instances may have their own), and only node-valued
// fields carry values.
function snapshot(scene) {
   const defsIndex = new Map();
   const defs = [];
   const nodeFields = []; // per defs: positions of its SFNode (1) and MFNode (2) fields
   const ids = new Map();
   const nodes = [];
   const queue = [];

   function unwrap(value) {
      // Root nodes and field elements come as SFNode objects, whose value is the node itself.
      if (value instanceof X3D.SFNode)
         return value.getValue();
      return value || null;
   }
   function idOf(value) {
      const node = unwrap(value);
      if (!node || typeof node.getFieldDefinitions !== "function")
         return -1;
      let id = ids.get(node);
      if (id === undefined) {
         id = nodes.length;
         ids.set(node, id);
         nodes.push(null);
         queue.push(node);
      }
      return id;
   }
   function defsOf(node) {
      const definitions = node.getFieldDefinitions();
      let index = defsIndex.get(definitions);
      if (index === undefined) {
         index = defs.length;
         defsIndex.set(definitions, index);
         const list = [];
         const kinds = [];
         let position = 0;
         for (const definition of definitions) {
            const typeName = String(definition.getValue().getTypeName());
            list.push([String(definition.getName()), definition.getAccessType(), typeName]);
            if (typeName === "SFNode")
               kinds.push([position, 1, definition.name]);
            else if (typeName === "MFNode")
               kinds.push([position, 2, definition.name]);
            ++position;
         }
         defs.push(list);
         nodeFields.push(kinds);
      }
      return index;
   }

   const roots = [];
   for (const root of scene.rootNodes)
      roots.push(idOf(root));

   for (let next = 0; next < queue.length; ++next) {
      const node = queue[next];
      const id = ids.get(node);
      const d = defsOf(node);
      const links = [];
      for (const [position, kind, name] of nodeFields[d]) {
         let field = null;
         try { field = node.getField(name); } catch (e) { field = null; }
         if (!field) {
            links.push(kind === 1 ? -1 : []);
            continue;
         }
         if (kind === 1) {
            links.push(idOf(field.getValue()));
         } else {
            const list = [];
            for (let i = 0; i < field.length; ++i)
               list.push(idOf(field[i]));
            links.push(list);
         }
      }
      nodes[id] = [String(node.getTypeName()), String(node.getName()), d, links];
   }
   return { defs: defs, nodes: nodes, roots: roots };
}

function load(serial, url) {
   current = serial;
   lastConsoleError = "";
   let initialized = false;
   let failed = false;
   const keys = {};
   function done() {
      for (const event of [X3D.X3DConstants.INITIALIZED_EVENT, X3D.X3DConstants.INITIALIZED_ERROR, X3D.X3DConstants.CONNECTION_ERROR])
         browser.removeBrowserCallback(keys, event);
   }
   browser.addBrowserCallback(keys, X3D.X3DConstants.INITIALIZED_EVENT, function () { initialized = true; });
   browser.addBrowserCallback(keys, X3D.X3DConstants.INITIALIZED_ERROR, function () { failed = true; });
   browser.addBrowserCallback(keys, X3D.X3DConstants.CONNECTION_ERROR, function () {
      if (serial === current)
         post({ serial: serial, kind: "event", code: 2 });
   });
   const loading = browser.loadURL(new X3D.MFString(url));
   loading.then(function () {
      done();
      if (serial !== current)
         return;
      let scene = null;
      const initializedAt = Date.now();
      try {
         scene = snapshot(browser.currentScene);
      } catch (e) {
         post({ serial: serial, kind: "failed", reason: "Couldn't read the scene: " + e });
         return;
      }
      post({ serial: serial, kind: "initialized", initializedAt: initializedAt, scene: scene });
   }, function (error) {
      done();
      if (serial !== current)
         return;
      const message = String(error && error.message ? error.message : error);
      const detail = lastConsoleError.replace(/\*{10,}/g, "").replace(/\s+/g, " ").trim();
      post({ serial: serial, kind: "failed", reason: detail ? message + " " + detail : message, initializedError: failed || !initialized });
   });
}

function start() {
   const canvas = document.getElementById("canvas");
   browser = X3D.getBrowser(canvas);
   browser.addBrowserCallback("vendrel", X3D.X3DConstants.SHUTDOWN_EVENT, function () {
      post({ serial: current, kind: "event", code: 1 });
   });
   new QWebChannel(transport, function (channel) {
      bridge = channel.objects.vendrelBridge;
      bridge.loadRequested.connect(load);
      post({ serial: 0, kind: "ready", version: String(X3D.X3DBrowser ? browser.version : ""), webgl: !!document.createElement("canvas").getContext("webgl2") });
   });
}

if (document.readyState === "loading")
   document.addEventListener("DOMContentLoaded", start);
else
   start();
})();

object frmMain: TfrmMain
  Caption = #08594' Next'
  Hint = #01055#01088#01080
end
